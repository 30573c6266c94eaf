#pragma once

#include <QString>

#include <functional>

namespace quillane {

/// True when an installed font can draw Japanese, the language of every
/// caption and message of the Japanese interface.
bool JapaneseFontInstalled();

/// The notice for a machine where no installed font covers Japanese, in
/// English so that it can be read there: what goes wrong and which package
/// to install.
QString MissingJapaneseFontText();

/// Where `installed` says that no font covers Japanese, shows the notice in
/// a box titled "Quillane" with the warning icon and one OK button, and
/// returns once the user has read it; otherwise does nothing. Called once
/// at start-up, under the Japanese interface: the program keeps no
/// settings, so it says so at each start until a font is installed.
void WarnWithoutJapaneseFont(const std::function<bool()>& installed = JapaneseFontInstalled);

}  // namespace quillane
