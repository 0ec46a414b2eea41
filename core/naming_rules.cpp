#include "core/path_utils.h"
#include "core/sys_settings.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace orbisk {
namespace {

QDateTime Now(const LocalClock& clock) { return clock ? clock() : QDateTime::currentDateTime(); }

// yyyymmddhhmmss of the moment.
QString DateTimeDigits(const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    return QString::asprintf("%04d%02d%02d%02d%02d%02d", d.year(), d.month(), d.day(), t.hour(),
                             t.minute(), t.second());
}

// True for "_" followed by at least one digit and then ".": the page number of
// a capture with several pages.
bool IsPageSuffix(QStringView rest) {
    if (rest.size() < 3 || rest[0] != u'_') {
        return false;
    }
    qsizetype i = 1;
    while (i < rest.size() && rest[i].isDigit()) {
        ++i;
    }
    return i > 1 && i < rest.size() && rest[i] == u'.';
}

bool AnyFileOfBaseName(const QString& base) {
    const QFileInfo info(base);
    const QString leaf = info.fileName();
    if (leaf.isEmpty() || !info.dir().exists()) {
        return false;
    }
    QDirIterator it(info.absolutePath(),
                    QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (!name.startsWith(leaf)) {
            continue;
        }
        const QStringView rest = QStringView(name).mid(leaf.size());
        if (rest.isEmpty() || rest[0] == u'.' || IsPageSuffix(rest)) {
            return true;
        }
    }
    return false;
}

// The folder is made only when it is missing; a failure leaves the name as it
// is and the writer reports it later.
void EnsureFolderFor(const QString& saveFolder, const QString& path) {
    if (!PathExists(saveFolder)) {
        SysSettings::CreateFolderPath(path);
    }
}

}  // namespace

QString AvoidNameCollision(const QString& base, const BaseNameTaken& taken) {
    const auto isTaken = [&](const QString& candidate) {
        return taken ? taken(candidate) : AnyFileOfBaseName(candidate);
    };
    if (base.isEmpty() || !isTaken(base)) {
        return base;
    }
    for (int n = 2;; ++n) {
        const QString candidate = base + '_' + QString::number(n);
        if (!isTaken(candidate)) {
            return candidate;
        }
    }
}

QString SysSettings::MakeFileName(const FileNameProvider& askName, const LocalClock& clock) const {
    const QDateTime now = Now(clock);
    QString name;
    switch (TypeofImageName) {
        case int(NamingRule::PrefixAndNumber):
            name = SaveFolder + '/' + PREFIX + QString::asprintf("%05d", INDEX);
            break;
        case int(NamingRule::DateAndTime):
            name = SaveFolder + '/' + DateTimeDigits(now);
            break;
        case int(NamingRule::Asked): {
            const std::optional<QString> entered =
                askName ? askName(Language) : std::optional<QString>();
            if (!entered) {
                return QString();
            }
            name = SaveFolder + '/' + *entered;
            break;
        }
        default:
            return QString();
    }
    EnsureFolderFor(SaveFolder, name);
    return AvoidNameCollision(name);
}

QString SysSettings::MakeTempFileName(const LocalClock& clock) const {
    const QString name = SaveFolder + QStringLiteral("/Tmp") + DateTimeDigits(Now(clock));
    EnsureFolderFor(SaveFolder, name);
    return AvoidNameCollision(name);
}

QString SysSettings::MakeWatermarkText(const LocalClock& clock) const {
    const bool withDate = DateMark != 0;
    const bool withName = Custom != 0;
    if (!withDate && !withName) {
        return QString();
    }
    QString stamp;
    if (withDate) {
        const QDateTime now = Now(clock);
        const QDate d = now.date();
        const QTime t = now.time();
        stamp = QString::asprintf("%04d/%02d/%02d-%02d:%02d:%02d", d.year(), d.month(), d.day(),
                                  t.hour(), t.minute(), t.second());
    }
    if (withDate && withName) {
        return stamp + ' ' + Name;
    }
    return withDate ? stamp : Name;
}

bool SysSettings::CreateFolderPath(const QString& filePath) {
    const qsizetype slash = filePath.lastIndexOf('/');
    if (slash < 0) {
        return true;
    }
    const QString folder = filePath.left(slash + 1);
    const std::filesystem::path native(QFile::encodeName(folder).toStdString());
    std::error_code error;
    std::filesystem::create_directories(native, error);
    return std::filesystem::is_directory(native, error);
}

}  // namespace orbisk
