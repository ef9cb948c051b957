#pragma once
// The tool's working folders in the start-up folder, and where the start-up folder is.

#include <string>

namespace hx {

inline constexpr const char* kDownloadsFolder = "downloads"; // local packages
inline constexpr const char* kTempZipFolder = "tempzip";     // downloaded archives
inline constexpr const char* kTempLivFolder = "templiv";     // the unpacked archive
inline constexpr const char* kImagesFolder = "images";       // catalogue pictures
inline constexpr const char* kFallbackPicture = "thumbnail.jpg";

// Creates images, downloads, tempzip and templiv in `startupFolder`, each only when missing.
// Failures are ignored, as every folder creation of the tool is.
void createWorkingFolders(const std::string& startupFolder);

// startupFolder + separator + name.
std::string workingFolder(const std::string& startupFolder, const char* name);

// Where the start-up folder, which holds the working folders and the history, is:
// - the folder the user names (the CLI's -C, the demo's folder);
// - else, when the program's own folder cannot be written (an installed program), the tool's
//   folder in the user's data folder;
// - else the current folder.
enum class StartupReason { Given, CurrentFolder, UserData };
struct StartupFolder {
    std::string path;
    StartupReason reason = StartupReason::CurrentFolder;
};
StartupFolder chooseStartupFolder(const std::string& given, const std::string& currentFolder,
                                  bool programFolderWritable, const std::string& userDataFolder);

// The rule above applied to this process, without changing anything.
StartupFolder defaultStartupFolder(const std::string& given = {});

// Applies the rule: creates the chosen folder when it is the user's data folder, makes it the
// process's current folder (the working folders are also named relative to it) and creates the
// working folders in it. Throws Error naming the folder when it cannot be created or entered.
StartupFolder enterStartupFolder(const std::string& given = {});

// The rule in words, with the folder it gives this time, for the programs' help.
std::string startupFolderHelp(const std::string& given = {});

} // namespace hx
