#pragma once

#include "QuillaneError.h"

#include <string>

namespace quillane {

class IFileOps;

/// The three values the managed section stores. Text fields hold bytes of
/// the file's code page, exactly as they stand in (or go into) init.m.
struct SectionSettings {
    std::string HomeDirectory;
    bool DefineUtils = false;
    std::string Commands;  ///< lines each followed by CR LF, as the reader builds it
};

/// The not-set text "(未設定)" as UTF-8.
extern const char* const NotSetTextUtf8;

/// The not-set text encoded in `codePage` (8 bytes in code page 932).
std::string NotSetText(unsigned codePage);

/// Settings before anything is read: both texts not set, DefineUtils off.
SectionSettings DefaultSettings(unsigned codePage);

/// Receives the reader's own failure report; the window shows it as a box.
class IReadFailureReporter {
public:
    virtual ~IReadFailureReporter() = default;
    /// `messageUtf8` is the path tried, "\n", then the failure text.
    virtual void ReportReadFailure(const std::string& messageUtf8) = 0;
};

/// Raised by SaveSection; the message names the path.
class ESectionError : public EQuillaneError {
public:
    using EQuillaneError::EQuillaneError;
};

/// Reads the managed section of the file at `pathUtf8` into `settings`,
/// updating only what the file mentions (DefineUtils is switched off first).
/// Read failures go to `reporter`; nothing is thrown.
void LoadSection(const std::string& pathUtf8, SectionSettings& settings, unsigned codePage,
                 IReadFailureReporter& reporter);

/// Replaces the managed section of the existing file at `pathUtf8` with one
/// built from `settings`, keeping every other byte. The file is
/// replaced safely (a new file moved over it, or, where that would change
/// what it is, rewritten in place after a backup in the user's cache folder):
/// on any failure it is left as it was, or the message says where its old
/// bytes are.
/// Throws ESectionError.
void SaveSection(const std::string& pathUtf8, const SectionSettings& settings, unsigned codePage);

/// LoadSection on the given file steps instead of the real file system.
void LoadSection(const std::string& pathUtf8, SectionSettings& settings, unsigned codePage,
                 IReadFailureReporter& reporter, IFileOps& ops);

/// SaveSection on the given file steps instead of the real file system.
void SaveSection(const std::string& pathUtf8, const SectionSettings& settings, unsigned codePage, IFileOps& ops);

}  // namespace quillane
