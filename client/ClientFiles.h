#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tav {

// Directories of downloaded files, relative to the program's working directory.
inline constexpr std::string_view kTextDir = "text";
inline constexpr std::string_view kBinaryDir = "binary";
// Extension of identification files, kept in kTextDir.
inline constexpr std::string_view kIdExtension = ".id";
// The most bytes one Client connection may store under kTextDir and kBinaryDir together:
// far above what a game sends in a session, low enough that a server sending files
// nobody asked for cannot fill the disk.
inline constexpr std::uint64_t kDownloadLimitBytes = std::uint64_t{256} << 20;

// The files the server sends: text files under "text", sound files under "binary",
// identification files "<root>/text/<name>.id". The directories are never created here.
// A name from the server is used only when it is a plain file name (IsSafeName); any
// other name is handled as a file that cannot be opened, so nothing outside the two
// directories is ever read or written.
class ClientFiles {
public:
    // root: the directory the paths are relative to (the working directory by default).
    explicit ClientFiles(std::string root = ".");

    // A plain file name: not empty, no '/' or '\\', no leading '.', no control character.
    static bool IsSafeName(std::string_view name);
    // "text/<name>" and "binary/<name>", as shown in log lines and given to sound.
    static std::string TextPath(std::string_view name);
    static std::string BinaryPath(std::string_view name);
    // "<absolute root>/text/<name>.id", the name's Latin-1 characters in UTF-8 (how the
    // desktop lists file names, so that "Open..." finds the file under the object's name).
    std::string IdPath(std::string_view name) const;

    // The bytes WriteText stores for text: every "\n" becomes CR LF.
    static std::uint64_t TextFileBytes(std::string_view text);
    // Writes text/<name> in text mode, replacing it whole. False when it cannot be
    // opened: its directory is missing, or a link or a directory stands at the name.
    bool WriteText(std::string_view name, std::string_view text) const;

    struct BinaryWrite {
        bool opened = false;
        bool complete = false; // in place; otherwise the old file (or none) stays as it was
    };
    // Writes binary/<name> byte for byte, replacing it whole: a write that fails or is
    // cut short never leaves part of the file at the name.
    BinaryWrite WriteBinary(std::string_view name, std::span<const std::uint8_t> bytes) const;

    // Whether binary/<name> is a file that can be opened for reading.
    bool IsCached(std::string_view name) const;

private:
    std::string Resolve(const std::string& relative) const;

    std::string root_;
    std::string absoluteRoot_;
};

} // namespace tav
