#include "ui/worksheet_description.hpp"

namespace ui {

namespace {

const char* const description_body =
    "This program accompanies a published paper that sets out reporting standards for "
    "percentile norms and methods for expressing the uncertainty that attaches to a percentile "
    "rank; it implements those methods. For every raw score of a neuropsychological test it "
    "builds a table of the point estimate and interval estimates of the percentile rank of that "
    "score in the normative population, and in doing so it meets all of the reporting standards. "
    "The point estimate of a percentile rank is PR = (m + 0.5k)/n, expressed as a percentage, "
    "where n is the size of the normative sample, m is the number of its members who scored "
    "below the given raw score, and k is the number who obtained exactly that score. The interval "
    "estimates capture all of the uncertainty over a percentile rank: the uncertainty that comes "
    "from using a sample to stand for the normative population, and the uncertainty caused by "
    "ties, since a case that obtains a given score could lie above or below the k tied members of "
    "the sample on the continuous ability that the test measures. What a user of norms needs "
    "is the standing of a score in the normative population, not in the particular sample that "
    "was tested; a sample can only estimate it, and the interval estimates show how precisely it "
    "does so. Larger samples give narrower intervals, and so do scores that few members of the "
    "sample share. Following the standards, "
    "point estimates between 5 and 95 are reported as whole numbers, and those below 5 or above "
    "95 are reported to one decimal place, because differences there matter more. "
    "Three methods of obtaining the interval estimates are offered: a Bayesian method, a "
    "classical method, and the mid-p variant of the classical method. The Bayesian method is the "
    "one we recommend; the methods build on the work on interval estimates of a proportion "
    "reviewed by Brown, Cai & DasGupta (2001). When the normative sample is large, all three "
    "give very similar results. For every raw score the program produces a 95% and a 90% "
    "two-sided interval estimate. The 90% interval also serves as a one-sided 95% interval: its "
    "lower limit alone is a one-sided 95% lower limit and its upper limit alone a one-sided 95% "
    "upper limit. The Bayesian interval has a direct reading. If a case obtains a given raw "
    "score, there is a 95% probability that the true percentile rank of that score in the "
    "normative population lies within the 95% interval. "
    "To use the program, prepare an input file that holds the raw score frequencies of the "
    "normative sample. It is a plain text file of two columns separated by a blank: the first "
    "column lists the raw scores, and the second lists the number of members of the normative "
    "sample who obtained each score. Raw scores must be whole numbers. If zero is a legitimate "
    "score on the test it must be listed, and every legitimate score that no member of the "
    "sample obtained must be listed with a frequency of zero, so that the file runs without gaps "
    "from the minimum to the maximum legitimate score. The file must hold no other text, such as "
    "column names or notes. Save it with a .txt extension, for example as \"raw_data.txt\". "
    "Then type the minimum and maximum legitimate raw scores and the size of the normative sample "
    "into the boxes below, choose a method, add any notes you want kept with the results, and "
    "press Compute; the program asks for the input file and checks it against the values you "
    "typed. The output is a table in six columns: the raw score, the point estimate of its "
    "percentile rank, the lower and upper limits of the 95% interval estimate, and the lower and "
    "upper limits of the 90% interval estimate. The table appears in a results window, where it "
    "can be viewed, printed, or saved to a text file for use in other programs or reports. The "
    "table serves norms for a whole test; a companion program takes a single case and gives the "
    "percentile rank of that case's score, with its interval estimate, against a normative "
    "sample. ";

// The locale's long time form carries a time zone ("t"); a build time has none to show.
QString long_time_format_without_zone(const QLocale& locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == '\'')
            quoted = !quoted;
        if (quoted || c != 't')
            kept += c;
    }
    return kept.trimmed();
}

}  // namespace

QString build_stamp_sentence(const QLocale& locale, const QDateTime& built)
{
    return "(This version of the program was built on " +
           locale.toString(built.date(), QLocale::ShortFormat) + " at " +
           locale.toString(built.time(), long_time_format_without_zone(locale)) + ").";
}

QDateTime build_date_time()
{
    const QDate date = QDate::fromString(QString(__DATE__).simplified(), "MMM d yyyy");
    const QTime time = QTime::fromString(__TIME__, "HH:mm:ss");
    return QDateTime(date, time);
}

QString worksheet_description(const QLocale& locale)
{
    return description_body + build_stamp_sentence(locale, build_date_time());
}

}  // namespace ui
