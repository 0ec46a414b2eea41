#include "tests/support/pdf_check.h"

#include <QProcess>

namespace orbisk::test {

testing::AssertionResult PassesQpdfCheck(const QString& pdf) {
    QProcess qpdf;
    // qpdf tells what it found wrong on the standard error.
    qpdf.setProcessChannelMode(QProcess::MergedChannels);
    qpdf.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    if (!qpdf.waitForStarted()) {
        return testing::AssertionFailure() << "qpdf is missing (scripts/setup installs it)";
    }
    qpdf.waitForFinished(60'000);
    const int exitCode = qpdf.exitStatus() == QProcess::NormalExit ? qpdf.exitCode() : -1;
    // 0: sound; 2: errors; 3: warnings only, which a sound file has none of.
    if (exitCode != 0) {
        return testing::AssertionFailure()
               << "qpdf --check " << pdf.toStdString() << " exited " << exitCode << ":\n"
               << qpdf.readAll().toStdString();
    }
    return testing::AssertionSuccess();
}

}  // namespace orbisk::test
