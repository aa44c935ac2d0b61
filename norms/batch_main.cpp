// vornak-batch: see norms/batch.hpp.
#include <QLocale>

#include <iostream>

#include "norms/batch.hpp"
#include "stats/number_format.hpp"

int main(int argc, char** argv)
{
    // The window's separator comes from Qt's locale, which follows LC_ALL, LC_NUMERIC and LANG
    // from its own data. The C library's locale stays "C": nothing here calls setlocale.
    stats::set_decimal_separator(QLocale::system().decimalPoint().toStdString());
    return norms::RunBatch({argv + 1, argv + argc}, std::cout, std::cerr);
}
