#include "tests/support/outside_tool.h"

#include <QProcess>

namespace orbisk::test {

ToolRun RunOutsideTool(const QString& program, const QStringList& arguments) {
    ToolRun run;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        return run;
    }
    run.started = true;
    process.waitForFinished(60'000);
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
    return run;
}

}  // namespace orbisk::test
