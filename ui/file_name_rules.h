#pragma once

#include <QString>
#include <QStringList>

namespace orbisk {

// The rules of the file-name prefixes and the free file name, without widgets.

// The item that ends the prefix combo box's list and opens the prefix editor.
inline constexpr char kPrefixEditorItem[] = "...";

// Splits a "|"-separated prefix list into `pieces` (emptied first). False at
// the first empty piece, with the pieces before it left in `pieces`; an empty
// text, a leading or trailing bar and two bars in a row all fail. Pieces are
// not trimmed.
bool SplitPrefixList(const QString& text, QStringList& pieces);

// The index of `text` among `items` regardless of case, searched from the
// second item on and then the first; -1 when it is not there.
int FindPrefixIndex(const QStringList& items, const QString& text);

// The characters a file name may not contain, in the order they are tested.
inline constexpr char kForbiddenNameCharacters[] = "\\/:*?<>|";

// True when `name` holds one of kForbiddenNameCharacters.
bool HasForbiddenNameCharacter(const QString& name);

// A prefix becomes part of every file name and one line of Sys.ini: it may
// hold neither a forbidden name character nor a control character or line
// break.
bool IsAcceptablePrefix(const QString& prefix);

// The prefixes a stored list offers: its pieces as far as it goes (as
// SplitPrefixList), without those that are not acceptable prefixes, which a
// hand-edited Sys.ini can hold.
QStringList LoadablePrefixes(const QString& list);

// The longest free file name, in UTF-8 bytes: with the folder, a running
// number and an extension the path still fits the file system's limit.
inline constexpr int kMaxFileNameBytes = 200;

// Why a free file name is refused.
enum class FileNameFault { None, ForbiddenCharacter, TooLong, Empty };

// The first fault of `name`: forbidden characters, then length, then emptiness.
FileNameFault CheckFileName(const QString& name);

}  // namespace orbisk
