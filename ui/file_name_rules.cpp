#include "ui/file_name_rules.h"

namespace orbisk {

bool SplitPrefixList(const QString& text, QStringList& pieces) {
    pieces.clear();
    for (const QString& piece : text.split(QLatin1Char('|'))) {
        if (piece.isEmpty()) return false;
        pieces.append(piece);
    }
    return true;
}

int FindPrefixIndex(const QStringList& items, const QString& text) {
    const qsizetype n = items.size();
    for (qsizetype k = 1; k <= n; ++k) {
        const qsizetype i = k % n;
        if (items[i].compare(text, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    }
    return -1;
}

bool HasForbiddenNameCharacter(const QString& name) {
    for (const char c : kForbiddenNameCharacters) {
        if (c != '\0' && name.contains(QLatin1Char(c))) return true;
    }
    return false;
}

bool IsAcceptablePrefix(const QString& prefix) {
    if (HasForbiddenNameCharacter(prefix)) return false;
    for (const QChar c : prefix) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            return false;
        }
    }
    return true;
}

QStringList LoadablePrefixes(const QString& list) {
    QStringList pieces;
    SplitPrefixList(list, pieces);
    pieces.removeIf([](const QString& piece) { return !IsAcceptablePrefix(piece); });
    return pieces;
}

FileNameFault CheckFileName(const QString& name) {
    if (HasForbiddenNameCharacter(name)) return FileNameFault::ForbiddenCharacter;
    if (name.toUtf8().size() > kMaxFileNameBytes) return FileNameFault::TooLong;
    if (name.isEmpty()) return FileNameFault::Empty;
    return FileNameFault::None;
}

}  // namespace orbisk
