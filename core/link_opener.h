#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace orbisk {

// Hands addresses and files to the desktop (the default browser, mail
// program or viewer). Every such hand-off of the program goes through one
// replaceable opener, so that tests can watch it instead of the desktop.
using UrlOpener = std::function<bool(const QUrl&)>;

// Replaces the opener (an empty one restores the desktop's); returns the old one.
UrlOpener SetUrlOpener(UrlOpener opener);

// Opens a web or mail address: http, https and mailto only, so that a link
// can never start a program or open a local file. False for anything else
// and when the opener fails.
bool OpenLink(const QString& link);

// Opens a file with the program the desktop associates with it.
bool OpenFile(const QString& path);

}  // namespace orbisk
