// The program as `cmake --install` puts it in place: ctest's install_staged
// installs this build under a DESTDIR of its own first, so nothing reaches the
// machine's folders and an absolute destination shows as a file outside the
// prefix.
#include "platform/named_window.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>

#include <cstdlib>

namespace orbisk {
namespace {

using namespace std::chrono_literals;

const QString kAppId = QStringLiteral(ORBISK_APP_ID);

struct ProgramRun {
    bool started = false;
    int exitCode = -1;
    QString output;  // standard output and error together
};

ProgramRun RunProgram(
    const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    ProgramRun run;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted()) return run;
    run.started = true;
    process.waitForFinished(60'000);
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = QString::fromUtf8(process.readAll());
    return run;
}

class InstallTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo(Prefix()).isDir())
            << "no staged install: run the tests through ctest, whose install_staged makes it";
    }

    static QString Root() { return QStringLiteral(ORBISK_STAGE); }
    // The installed prefix as staged, and a path inside it.
    QString Prefix() const { return Root() + QStringLiteral(ORBISK_INSTALL_PREFIX); }
    QString Installed(const QString& relative) const { return Prefix() + '/' + relative; }
    QString Data(const QString& relative) const {
        return Installed(QStringLiteral(ORBISK_INSTALL_DATADIR "/") + relative);
    }
    QString DesktopEntry() const { return Data("applications/" + kAppId + ".desktop"); }
    QString Metainfo() const { return Data("metainfo/" + kAppId + ".metainfo.xml"); }
    QString Icon(const QString& size, const QString& suffix) const {
        return Data("icons/hicolor/" + size + "/apps/" + kAppId + suffix);
    }
    QString UdevRule() const {
        return Root() + QStringLiteral(ORBISK_UDEV_RULES_DIR "/70-orbisk-camera-button.rules");
    }

    test::TempDir dir_;
};

constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

TEST_F(InstallTest, PutsEveryFileWhereTheDesktopAndTheProgramLookForIt) {
    const QString program = Installed(QStringLiteral(ORBISK_INSTALL_BINDIR "/orbisk"));
    EXPECT_TRUE(QFileInfo(program).isExecutable()) << program.toStdString();
    const QStringList expected = {program,
                                  Data("orbisk/data.dat"),
                                  Data("orbisk/paizhao.wav"),
                                  Data("orbisk/OCR_RLDA_LN_Gra.tpl"),
                                  DesktopEntry(),
                                  Metainfo(),
                                  Icon("scalable", ".svg"),
                                  UdevRule(),
                                  Installed(QStringLiteral(ORBISK_INSTALL_DOCDIR "/copyright")),
                                  Installed(QStringLiteral(ORBISK_INSTALL_DOCDIR "/changelog.gz"))};
    for (const QString& path : expected) {
        EXPECT_TRUE(QFileInfo(path).isFile()) << "missing: " << path.toStdString();
    }
    for (int size : kIconSizes) {
        const QString name = QStringLiteral("%1x%1").arg(size);
        const QImage icon(Icon(name, QStringLiteral(".png")));
        EXPECT_EQ(icon.size(), QSize(size, size)) << name.toStdString();
    }
    // Only the udev rule lives outside the prefix: udev reads no other folder.
    QDirIterator files(Root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        EXPECT_TRUE(path.startsWith(Prefix() + '/') || path == UdevRule())
            << "outside the prefix: " << path.mid(Root().size()).toStdString();
    }
}

TEST_F(InstallTest, DesktopEntryAndMetainfoPassTheirValidators) {
    const ProgramRun entry = RunProgram(QStringLiteral("desktop-file-validate"), {DesktopEntry()});
    ASSERT_TRUE(entry.started) << "desktop-file-validate (desktop-file-utils) is missing";
    EXPECT_EQ(entry.exitCode, 0) << entry.output.toStdString();
    EXPECT_EQ(entry.output, QString()) << "hints count too";

    const ProgramRun metainfo = RunProgram(QStringLiteral("appstreamcli"),
                                           {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                            QStringLiteral("--pedantic"), Metainfo()});
    ASSERT_TRUE(metainfo.started) << "appstreamcli (appstream) is missing";
    EXPECT_EQ(metainfo.exitCode, 0) << metainfo.output.toStdString();
    EXPECT_FALSE(metainfo.output.contains(QStringLiteral("P: "))) << metainfo.output.toStdString();

    // The tree as a whole: the metainfo's launchable names the installed
    // entry, and the entry's icon is in the theme.
    const ProgramRun tree =
        RunProgram(QStringLiteral("appstreamcli"),
                   {QStringLiteral("validate-tree"), QStringLiteral("--no-net"), Prefix()});
    EXPECT_EQ(tree.exitCode, 0) << tree.output.toStdString();
}

TEST_F(InstallTest, ScalableIconShowsWhatThePicturesShow) {
    // An SVG renderer of someone else's draws the scalable icon at the largest
    // picture's size; the two must agree but for the edges' antialiasing.
    const QString rendered = dir_.File(QStringLiteral("rendered.png"));
    const ProgramRun render = RunProgram(
        QStringLiteral("rsvg-convert"),
        {QStringLiteral("-w"), QStringLiteral("256"), QStringLiteral("-h"), QStringLiteral("256"),
         QStringLiteral("-o"), rendered, Icon("scalable", ".svg")});
    ASSERT_TRUE(render.started) << "rsvg-convert (librsvg2-bin) is missing";
    ASSERT_EQ(render.exitCode, 0) << render.output.toStdString();
    const QImage svg = QImage(rendered).convertToFormat(QImage::Format_RGB888);
    const QImage png = QImage(Icon(QStringLiteral("256x256"), QStringLiteral(".png")))
                           .convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(svg.size(), png.size());
    int differing = 0;
    for (int y = 0; y < png.height(); ++y) {
        for (int x = 0; x < png.width(); ++x) {
            const QRgb a = svg.pixel(x, y), b = png.pixel(x, y);
            const int d = std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                          std::abs(qBlue(a) - qBlue(b));
            if (d > 24) ++differing;
        }
    }
    EXPECT_LT(differing, png.width() * png.height() / 100);
}

TEST_F(InstallTest, ProgramStartedFromTheInstallFindsItsResources) {
    // The program's window title comes from the caption in "data.dat"; without
    // the file it stops at start-up with a message instead.
    const QString title = QStringLiteral(ORBISK_BRANDING_CAPTION " (Ver2.0.13.0)");
    const QString runtime = dir_.File(QStringLiteral("run"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("ORBISK_HOME"));
    environment.insert(QStringLiteral("ORBISK_CAMERA"), QStringLiteral("simulated"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), dir_.File(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.File(QStringLiteral("home/config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), dir_.File(QStringLiteral("home/cache")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    QDir().mkpath(runtime);
    // The named window is looked up where the program registers it.
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());

    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(dir_.Path());
    program.start(Installed(QStringLiteral(ORBISK_INSTALL_BINDIR "/orbisk")), {});
    ASSERT_TRUE(program.waitForStarted());
    const bool shown = test::WaitUntil(
        [&] {
            return platform::NamedWindowExists(title) || program.state() == QProcess::NotRunning;
        },
        30s);
    const bool titled = platform::NamedWindowExists(title);
    program.kill();
    program.waitForFinished();
    EXPECT_TRUE(shown && titled) << QString::fromUtf8(program.readAll()).toStdString();
}

}  // namespace
}  // namespace orbisk
