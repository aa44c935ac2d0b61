// The text that introduces the worksheet: what the program computes, how to prepare its input
// file and what it produces, closed by the date and time this version was built.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace ui {

QString worksheet_description(const QLocale& locale);

// "(… built on <short date> at <long time>)." in the locale's forms. The time is the builder's
// wall-clock time, so no time zone is shown.
QString build_stamp_sentence(const QLocale& locale, const QDateTime& built);

// When this file was compiled, from the compiler's date and time.
QDateTime build_date_time();

}  // namespace ui
