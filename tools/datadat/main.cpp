// orbisk-datadat: writes and edits the branding file "data.dat".
//
//   orbisk-datadat create -o data.dat [--caption T] [--link URL] [--label T]
//                  [--devices E1;E2] [--logo logo.png] [--splash splash.png]
//                  [--no-splash] [--hide-label]
//       A new file; without --logo/--splash the program's own pictures are drawn.
//   orbisk-datadat add-device data.dat VVVVPPPPvvvvpppp
//       Appends a camera pair (document vid, pid, portrait vid, pid).
//   orbisk-datadat dump data.dat
//       Prints what the file holds.
#include "core/branding_data.h"
#include "core/branding_writer.h"
#include "platform/atomic_file.h"
#include "tools/datadat/draw_branding.h"

#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdlib>

using namespace orbisk;

namespace {

QTextStream& Out() {
    static QTextStream out(stdout);
    return out;
}
QTextStream& Err() {
    static QTextStream err(stderr);
    return err;
}

int Usage() {
    Err() << "usage: orbisk-datadat create -o FILE [--caption T] [--link URL] [--label T]\n"
             "                      [--devices E1;E2] [--logo PNG] [--splash PNG]\n"
             "                      [--no-splash] [--hide-label]\n"
             "       orbisk-datadat add-device FILE VVVVPPPPvvvvpppp\n"
             "       orbisk-datadat dump FILE\n";
    return 2;
}

bool IsDeviceEntry(const QString& entry) {
    static const QRegularExpression hex16(QStringLiteral("^[0-9A-Fa-f]{16}$"));
    return hex16.match(entry).hasMatch();
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    if (!platform::WriteFileAtomically(path, bytes)) {
        Err() << "cannot write " << path << '\n';
        return false;
    }
    return true;
}

int Create(const QStringList& args) {
    BrandingContents c;
    QString output, logoFile, splashFile;
    QString caption = QStringLiteral("orbisk");
    bool noSplash = false, hideLabel = false;
    QString label;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "-o" && hasValue)
            output = args[++i];
        else if (a == "--caption" && hasValue)
            caption = args[++i];
        else if (a == "--link" && hasValue)
            c.link = args[++i];
        else if (a == "--label" && hasValue)
            label = args[++i];
        else if (a == "--devices" && hasValue)
            c.deviceEntries = args[++i].split(';', Qt::SkipEmptyParts);
        else if (a == "--logo" && hasValue)
            logoFile = args[++i];
        else if (a == "--splash" && hasValue)
            splashFile = args[++i];
        else if (a == "--no-splash")
            noSplash = true;
        else if (a == "--hide-label")
            hideLabel = true;
        else
            return Usage();
    }
    if (output.isEmpty()) return Usage();
    for (const QString& entry : c.deviceEntries) {
        if (!IsDeviceEntry(entry)) {
            Err() << "not a device entry of 16 hex digits: " << entry << '\n';
            return 2;
        }
    }
    c.logo = logoFile.isEmpty() ? tools::DrawLogo(caption) : QImage(logoFile);
    if (c.logo.isNull()) {
        Err() << "cannot read " << logoFile << '\n';
        return 1;
    }
    if (!noSplash) {
        c.splash = splashFile.isEmpty() ? tools::DrawSplash(caption) : QImage(splashFile);
        if (c.splash.isNull()) {
            Err() << "cannot read " << splashFile << '\n';
            return 1;
        }
    }
    c.labelFlag = !hideLabel;
    c.reserved = QString();
    c.caption = caption;
    c.labelText = label;
    return WriteFile(output, EncodeBrandingFile(c)) ? 0 : 1;
}

bool ReadContents(const QString& path, BrandingContents& c) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !DecodeBrandingFile(file.readAll(), c)) {
        Err() << path << " is not a readable branding file\n";
        return false;
    }
    return true;
}

int AddDevice(const QStringList& args) {
    if (args.size() != 2) return Usage();
    if (!IsDeviceEntry(args[1])) {
        Err() << "not a device entry of 16 hex digits: " << args[1] << '\n';
        return 2;
    }
    BrandingContents c;
    if (!ReadContents(args[0], c)) return 1;
    if (c.deviceEntries.contains(args[1], Qt::CaseInsensitive)) {
        Out() << "already listed: " << args[1] << '\n';
        return 0;
    }
    c.deviceEntries.append(args[1].toLower());
    return WriteFile(args[0], EncodeBrandingFile(c)) ? 0 : 1;
}

int Dump(const QStringList& args) {
    if (args.size() != 1) return Usage();
    BrandingContents c;
    if (!ReadContents(args[0], c)) return 1;
    Out() << "logo: " << c.logo.width() << " x " << c.logo.height() << '\n'
          << "link: " << c.link << '\n'
          << "splash: " << c.splash.width() << " x " << c.splash.height() << '\n'
          << "devices: " << c.deviceEntries.join(';') << '\n'
          << "label shown: " << (c.labelFlag.value_or(true) ? "yes" : "no") << '\n'
          << "caption: " << c.caption.value_or(QString()) << '\n'
          << "label: " << c.labelText.value_or(QString()) << '\n';
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Drawing text needs a GUI application; the tool never opens a window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) return Usage();
    const QString command = args.takeFirst();
    if (command == "create") return Create(args);
    if (command == "add-device") return AddDevice(args);
    if (command == "dump") return Dump(args);
    return Usage();
}
