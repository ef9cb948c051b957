#include "packages/WorkingFolders.h"

#include "platform/Errors.h"
#include "platform/FileSystem.h"

namespace hx {

std::string workingFolder(const std::string& startupFolder, const char* name)
{
    return platform::joinPath(startupFolder, name);
}

void createWorkingFolders(const std::string& startupFolder)
{
    for (const char* name : {kImagesFolder, kDownloadsFolder, kTempZipFolder, kTempLivFolder}) {
        const std::string path = workingFolder(startupFolder, name);
        if (!platform::folderExists(path))
            (void)platform::createFolder(path); // a missing one fails where it is used
    }
}

StartupFolder chooseStartupFolder(const std::string& given, const std::string& currentFolder,
                                  bool programFolderWritable, const std::string& userDataFolder)
{
    if (!given.empty())
        return {given, StartupReason::Given};
    if (!programFolderWritable && !userDataFolder.empty())
        return {userDataFolder, StartupReason::UserData};
    return {currentFolder, StartupReason::CurrentFolder};
}

StartupFolder defaultStartupFolder(const std::string& given)
{
    if (!given.empty())
        return {given, StartupReason::Given};
    const std::string program = platform::programFolder();
    const bool writable = program.empty() || platform::canCreateIn(program);
    return chooseStartupFolder(given, platform::currentFolder(), writable,
                               platform::userDataFolder());
}

StartupFolder enterStartupFolder(const std::string& given)
{
    StartupFolder chosen = defaultStartupFolder(given);
    if (chosen.reason == StartupReason::UserData && !platform::createFolderPath(chosen.path))
        throw Error("cannot create the working folder " + chosen.path + ": " +
                    platform::lastErrorText());
    if (!platform::setCurrentFolder(chosen.path))
        throw Error("cannot enter " + chosen.path + ": " + platform::lastErrorText());
    chosen.path = platform::currentFolder();
    createWorkingFolders(chosen.path);
    return chosen;
}

std::string startupFolderHelp(const std::string& given)
{
    const StartupFolder now = defaultStartupFolder(given);
    const char* why = now.reason == StartupReason::Given ? "given with -C"
                      : now.reason == StartupReason::UserData
                          ? "the program's own folder cannot be written"
                          : "the program's own folder can be written";
    return "The working folders (downloads, history, images, tempzip, templiv) live in the "
           "folder given with -C;\nwithout it, in the current folder, unless the program's own "
           "folder cannot be written\n(an installed program): then in " +
           platform::userDataFolder() + ".\nThis time: " + now.path + " (" + why + ").\n";
}

} // namespace hx
