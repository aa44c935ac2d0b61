// The desktop of the windowed program: Qt message boxes and file dialogs, the system beep and
// the regional decimal separator.
#pragma once

#include <QStringList>

#include "platform/desktop.hpp"

namespace ui {

class QtDesktop : public platform::Desktop {
public:
    void warning(const std::string& text) override;
    void error(const std::string& text) override;
    bool confirm(const std::string& text) override;
    void failure(const std::string& message) override;

    bool open_file(platform::FileDialog& dialog) override;
    bool save_file(platform::FileDialog& dialog) override;

    void beep() override;
    std::string decimal_separator() const override;
};

// Qt's name filters for a "Description|pattern|…" list: "Text files only|*.txt" gives
// "Text files only (*.txt)"; a lone pattern stays as it is; ";" between patterns becomes " ".
QStringList qt_name_filters(const std::string& filter);

}  // namespace ui
