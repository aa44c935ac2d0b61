// Choosing the interval method in the worksheet as a user does: by the caption of its button.
#pragma once

#include <QRadioButton>
#include <QWidget>

#include <gtest/gtest.h>

#include "stats/interval_method.hpp"

inline void choose_method(QWidget& worksheet, stats::IntervalMethod method)
{
    const std::string_view caption = stats::interval_method_entry(method).caption;
    for (QRadioButton* item : worksheet.findChildren<QRadioButton*>()) {
        if (item->text().toStdString() == caption) {
            item->click();
            return;
        }
    }
    ADD_FAILURE() << "no method button " << caption;
}
