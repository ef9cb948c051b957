#pragma once
// A livery package: a folder holding the information file installerinfo.txt and one texture
// folder. The information text is at the same time the livery's entry for aircraft.cfg.

#include <string>
#include <string_view>

namespace hx {

inline constexpr const char* kInformationFileName = "installerinfo.txt";
inline constexpr const char* kPackagePictureName = "thumbnail.jpg";
inline constexpr std::string_view kProductFolderPrefix = "KZQ_";
inline constexpr std::string_view kTitleKey = "title=";
inline constexpr std::string_view kVariationKey = "ui_variation=";
inline constexpr std::string_view kProductFolderKey = "productfolder=";

// packageFolder + separator + "installerinfo.txt".
std::string informationFilePath(const std::string& packageFolder);

// The lines of the file, each followed by CR LF (LF, CR LF, lone CR dropped, Ctrl-Z). Throws
// IoError ("File not found", ...) when the file cannot be opened or read.
std::string readInformationText(const std::string& path);

// The rest of the line after the first occurrence of `key` (case-sensitive, anywhere in the text,
// so "title=" also matches inside "sub_title="), up to the next CR, untrimmed. A key that does
// not occur yields an empty value: every caller expects the key to be there, and an empty value
// makes the resulting names fail the plain-name check instead of naming a stray folder.
std::string keyValue(std::string_view text, std::string_view key);

// "KZQ_" + the "productfolder=" value, every "-" replaced by "_".
std::string productFolderName(std::string_view informationText);

// What the information file of a package says, read once: the window's memo, the install and
// hangarix-cli's package list all take it from here.
struct PackageDescription {
    std::string informationText;   // the entry text with its two-character placeholder
    std::string title;             // the "title=" value
    std::string variation;         // the "ui_variation=" value
    std::string productFolderName; // productFolderName(informationText)
};

// Reads the information file of the package in `packageFolder`; throws as readInformationText.
PackageDescription describePackage(const std::string& packageFolder);

// The last entry of the package folder, in listing order, other than ".", ".." and
// "installerinfo.txt" (compared exactly, so other capitals count as an entry). Empty when there
// is none, which callers treat as "no texture folder".
std::string textureFolderName(const std::string& packageFolder);

} // namespace hx
