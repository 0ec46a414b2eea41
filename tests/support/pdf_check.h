#pragma once

#include <gtest/gtest.h>

#include <QString>

namespace orbisk::test {

// Whether qpdf --check finds the file sound: no error and no warning (qpdf
// tells damaged streams, cut-off files and broken cross-references). On
// failure the message holds qpdf's own report.
testing::AssertionResult PassesQpdfCheck(const QString& pdf);

}  // namespace orbisk::test
