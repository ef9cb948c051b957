// hangarix: the window.
//
//   hangarix                         start on the simulator the registry proposes
//   hangarix --version               print the version and exit
//   hangarix --demo [DIR]            build the demo sandbox in DIR (default hangarix-demo in the
//                                    start-up folder), serve its catalogue on 127.0.0.1 and open
//                                    the window on it
//   hangarix --screenshot FILE [--panel local|catalogue|removal|progress|installing]
//                                    render the window to a PNG and exit (combines with --demo)

#include "app/demo/DemoSandbox.h"
#include "app/window/Dialogs.h"
#include "app/window/Form1.h"
#include "app/window/Form1Layout.h"
#include "app/window/WindowPlacement.h"
#include "app/window/WindowSystem.h"
#include "packages/WorkingFolders.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"

#include <Version.h>

#include <QApplication>
#include <QComboBox>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

namespace {

struct Options {
    std::optional<std::string> demoFolder;
    std::optional<std::string> screenshot;
    std::string panel = "local";
};

void usage()
{
    std::cerr << "hangarix " << hx::kVersion
              << "\nusage: hangarix [--version] [--demo [DIR]] [--screenshot FILE [--panel "
                 "local|catalogue|removal|progress|installing]]\n\n"
              << hx::startupFolderHelp();
}

std::optional<Options> parse(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc && argv[i + 1][0] != '-';
        if (a == "--demo") {
            o.demoFolder =
                hasValue ? std::string(argv[++i])
                         : hx::platform::joinPath(hx::defaultStartupFolder().path, "hangarix-demo");
        } else if (a == "--screenshot" && hasValue) {
            o.screenshot = argv[++i];
        } else if (a == "--panel" && hasValue) {
            o.panel = argv[++i];
            if (o.panel != "local" && o.panel != "catalogue" && o.panel != "removal" &&
                o.panel != "progress" && o.panel != "installing")
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    return o;
}

// Nobody is there to close a box while a screenshot is taken: messages go to the terminal.
class TerminalDialogs : public hx::app::Dialogs {
public:
    void messageBox(QWidget*, QMessageBox::Icon, const QString&, const QString& text,
                    const QString& detail) override
    {
        std::cerr << text.toStdString() << std::endl;
        if (!detail.isEmpty())
            std::cerr << detail.toStdString() << std::endl;
    }
};

// Shows the panel a screenshot asks for, as the user would reach it.
void openPanel(hx::app::TForm1& form, const std::string& panel)
{
    if (panel == "catalogue")
        form.BitBtn11Click();
    else if (panel == "removal") {
        // With the first installed product chosen, so that its liveries are listed.
        form.BitBtn12Click();
        auto* products = form.findChild<QComboBox*>("cb3");
        auto* liveries = form.findChild<QComboBox*>("cb4");
        if (products->count() > 0) {
            form.cb3Change(0);
            if (liveries->count() > 1)
                form.cb4Change(1); // as the user's choice: its picture shows too
        }
    } else if (panel == "progress")
        form.showProgressPreview(hx::FlowPhase::Download);
    else if (panel == "installing")
        form.showProgressPreview(hx::FlowPhase::Install);
}

} // namespace

int main(int argc, char** argv)
{
    // Before the application object, which needs a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "hangarix " << hx::kVersion << std::endl;
        return 0;
    }
    hx::app::chooseWindowSystem();
    // 1. The application object.
    QApplication app(argc, argv);
    const std::optional<Options> options = parse(argc, argv);
    if (!options) {
        usage();
        return 2;
    }
    // 2. The application title.
    hx::app::setApplicationTitle(QString::fromLatin1(hx::app::kStartTitle));

    hx::app::DemoSandbox demo;
    if (options->demoFolder) {
        try {
            demo = hx::app::startDemo(*options->demoFolder);
        } catch (const std::exception& e) {
            std::cerr << "hangarix: cannot build the demo in " << *options->demoFolder << ": "
                      << e.what() << "\n";
            return 2;
        }
        std::cout << "Demo sandbox in " << demo.folder << ", catalogue at " << demo.catalogueUrl
                  << std::endl;
    }
    hx::app::Dialogs desktop;
    TerminalDialogs terminal;
    // The start-up folder becomes the current folder, which the window's start-up step records.
    try {
        hx::enterStartupFolder(options->demoFolder ? demo.folder : std::string());
    } catch (const hx::Error& e) {
        (options->screenshot ? static_cast<hx::app::Dialogs&>(terminal) : desktop)
            .messageBox(nullptr, QMessageBox::Critical, QString::fromLatin1(hx::app::kStartTitle),
                        QString::fromStdString(e.what()), QString());
        return 1;
    }

    // 3. The main window and its start-up step.
    hx::app::TForm1 form(options->screenshot ? terminal : desktop);
    if (options->demoFolder)
        form.setCatalogueBaseUrl(demo.catalogueUrl);
    form.FormCreate();
    if (options->demoFolder)
        form.chooseSimulator(hx::SimKind::FSX, demo.simulatorRoot);
    hx::app::placeOnScreen(&form, hx::app::Form1Layout::designPosition());
    form.show();

    if (options->screenshot) {
        openPanel(form, options->panel);
        // Render once the window has been laid out and painted.
        QTimer::singleShot(100, &form, [&] {
            const bool saved =
                form.grab().save(QString::fromLocal8Bit(options->screenshot->c_str()), "PNG");
            if (!saved)
                std::cerr << "hangarix: cannot write " << *options->screenshot << "\n";
            form.stopProgressPreview();
            app.exit(saved ? 0 : 1);
        });
    }
    // 4. The message loop until the window closes.
    return app.exec();
}
