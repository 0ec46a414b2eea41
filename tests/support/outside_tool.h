#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orbisk::test {

// What a program written by someone else made of our output.
struct ToolRun {
    bool started = false;  // false: the program is not installed
    int exitCode = -1;
    QByteArray output;  // standard output
    QByteArray errors;  // standard error
};

// Runs `program` with `arguments` and waits up to a minute for it.
ToolRun RunOutsideTool(const QString& program, const QStringList& arguments);

}  // namespace orbisk::test
