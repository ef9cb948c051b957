#include "app/window/AccessibleTexts.h"

#include <QLabel>
#include <QString>
#include <QWidget>

namespace hx::app {

namespace {

struct Described {
    const char* control;
    const char* label; // the label naming a list or box, or nullptr
    const char* name;
    const char* description;
};

const Described kControls[] = {
    {"Image3", nullptr, "Hangarix", "Header of the window; drag it to move the window"},
    {"Image1", nullptr, "Maker's web site", "Link: opens the maker's web site in the browser"},
    {"BitBtn5", nullptr, "Help", "Opens the maker's FAQ page in the browser"},
    {"BitBtn4", nullptr, "Close",
     "Closes the window; a download in progress stops and resumes at the next LOAD"},
    {"BitBtn10", nullptr, "Add downloaded livery",
     "Tab: shows the livery packages of the downloads folder"},
    {"BitBtn11", nullptr, "Search liveries online", "Tab: shows the maker's online catalogue"},
    {"BitBtn12", nullptr, "Remove liveries", "Tab: shows the liveries installed in the simulator"},
    {"p4", nullptr, "Add downloaded livery", "Livery packages of the downloads folder"},
    {"cb1Filter", nullptr, "Filter packages",
     "Narrows the package list to the names that contain the text typed, ignoring case"},
    {"cb1", "Label1", "Select livery", "List of the livery packages in the downloads folder"},
    {"sl1", nullptr, "Select all liveries",
     "When ticked, INSTALL installs every package of the list"},
    {"m1", nullptr, "Information", "Title and variation of the chosen package"},
    {"i2", nullptr, "Package picture", "Picture of the chosen package"},
    {"BitBtn3", nullptr, "Install",
     "Installs the chosen livery, or every livery of the list when Select all liveries is ticked, "
     "into the chosen simulator"},
    {"p1", nullptr, "Remove liveries", "Liveries installed in the simulator"},
    {"cb3", "Label4", "Product", "List of the maker's aircraft installed in the simulator"},
    {"cb4Filter", nullptr, "Filter liveries",
     "Narrows the livery list to the names that contain the text typed, ignoring case"},
    {"cb4", "Label5", "Livery", "List of the liveries of the chosen aircraft"},
    {"LiveryPicture", nullptr, "Livery picture", "Picture of the livery chosen for removal"},
    {"BitBtn6", nullptr, "Remove", "Removes the chosen livery from the chosen aircraft"},
    {"p2", nullptr, "Search liveries online", "The maker's online catalogue"},
    {"cb5", "Label6", "Product", "List of the products in the online catalogue"},
    {"cb6Filter", nullptr, "Filter liveries",
     "Narrows the catalogue's livery list to the names that contain the text typed, ignoring "
     "case"},
    {"cb6", "Label7", "Livery", "List of the liveries of the chosen product in the catalogue"},
    {"i3", nullptr, "Livery picture", "Picture of the livery chosen in the catalogue"},
    {"BitBtn8", nullptr, "Load",
     "Downloads the chosen livery, unpacks it and installs it into the chosen simulator"},
    {"p5", nullptr, "Simulator", "The simulator to install into or remove from"},
    {"cb2", "Label2", "Select FS",
     "List of the simulators: None, FS9, FSX and each other simulator found"},
    {"e1", "Label3", "Path", "Folder of the chosen simulator"},
    {"BitBtn1", nullptr, "Browse", "Chooses the simulator's folder"},
    {"p3", nullptr, "Progress", "Progress of the download, the unpacking and the installation"},
    {"ProgressBar", nullptr, "Download progress", "Part of the archive received"},
    {"AbMeter1", nullptr, "Unzipping progress", "Part of the archive unpacked"},
    {"mb1", nullptr, "Installing", "Moves while the livery is installed"},
};

} // namespace

void setAccessibleTexts(QWidget* form)
{
    for (const Described& d : kControls) {
        auto* control = form->findChild<QWidget*>(QString::fromLatin1(d.control));
        if (!control)
            continue;
        control->setAccessibleName(QString::fromLatin1(d.name));
        control->setAccessibleDescription(QString::fromLatin1(d.description));
        if (!d.label)
            continue;
        if (auto* label = form->findChild<QLabel*>(QString::fromLatin1(d.label)))
            label->setBuddy(control);
    }
}

} // namespace hx::app
