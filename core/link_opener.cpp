#include "core/link_opener.h"

#include <QDesktopServices>

namespace orbisk {
namespace {

UrlOpener& CurrentOpener() {
    static UrlOpener opener;
    return opener;
}

bool Open(const QUrl& url) {
    const UrlOpener& opener = CurrentOpener();
    return opener ? opener(url) : QDesktopServices::openUrl(url);
}

}  // namespace

UrlOpener SetUrlOpener(UrlOpener opener) {
    UrlOpener old = std::move(CurrentOpener());
    CurrentOpener() = std::move(opener);
    return old;
}

bool OpenLink(const QString& link) {
    const QUrl url(link.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != "http" && scheme != "https" && scheme != "mailto")) {
        return false;
    }
    return Open(url);
}

bool OpenFile(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    return Open(QUrl::fromLocalFile(path));
}

}  // namespace orbisk
