#pragma once

#include <QString>

#include <optional>

namespace quillane {

/// What the command line asks for.
struct TCommandLine {
    std::optional<int> ExitCode;  ///< set: end with it (help, version, a wrong option)
    QString File;                 ///< the init.m to edit; empty: the discovered one
};

/// Reads `quillane [FILE]` and Qt's own options, before anything needs a
/// display: --help and --version print to standard output and end with 0, a
/// wrong option prints the error and the usage to standard error and ends
/// with 2.
TCommandLine ParseCommandLine(int argc, char** argv);

}  // namespace quillane
