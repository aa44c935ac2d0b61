#include "ui/qt_desktop.hpp"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>

#include "platform/failure.hpp"

namespace ui {

namespace {

// A message box that opens in the middle of the screen rather than over its parent window.
class CentredMessageBox : public QMessageBox {
public:
    CentredMessageBox(Icon icon, const std::string& title, const std::string& text,
                      StandardButtons buttons)
        : QMessageBox(icon, QString::fromStdString(title),
                      QString::fromStdString(text).replace('\r', '\n'), buttons,
                      QApplication::activeWindow())
    {
        setWindowModality(Qt::ApplicationModal);
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        if (const QScreen* screen = this->screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
};

int show_box(QMessageBox::Icon icon, const std::string& title, const std::string& text,
             QMessageBox::StandardButtons buttons)
{
    CentredMessageBox box(icon, title, text, buttons);
    return box.exec();
}

bool run_file_dialog(platform::FileDialog& dialog, QFileDialog::AcceptMode mode)
{
    QFileDialog qt_dialog(QApplication::activeWindow());
    qt_dialog.setAcceptMode(mode);
    qt_dialog.setFileMode(dialog.file_must_exist ? QFileDialog::ExistingFile
                                                 : QFileDialog::AnyFile);
    qt_dialog.setOption(QFileDialog::DontConfirmOverwrite, !dialog.prompt_overwrite);
    qt_dialog.setNameFilters(qt_name_filters(dialog.filter));
    if (!dialog.initial_folder.empty())
        qt_dialog.setDirectory(QString::fromStdString(dialog.initial_folder));
    // A proposed name with a folder also opens the dialog in that folder.
    if (!dialog.file_name.empty())
        qt_dialog.selectFile(QString::fromStdString(dialog.file_name));
    if (qt_dialog.exec() != QDialog::Accepted || qt_dialog.selectedFiles().isEmpty())
        return false;
    dialog.file_name = QDir::toNativeSeparators(qt_dialog.selectedFiles().first()).toStdString();
    return true;
}

}  // namespace

void QtDesktop::warning(const std::string& text)
{
    show_box(QMessageBox::NoIcon, "Warning", text, QMessageBox::Ok);
}

void QtDesktop::error(const std::string& text)
{
    show_box(QMessageBox::Critical, "Error", text, QMessageBox::Ok);
}

bool QtDesktop::confirm(const std::string& text)
{
    return show_box(QMessageBox::Question, "Confirm", text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void QtDesktop::failure(const std::string& message)
{
    const std::string title =
        platform::application_title(QCoreApplication::applicationFilePath().toStdString());
    show_box(QMessageBox::Critical, title, platform::failure_text(message), QMessageBox::Ok);
}

bool QtDesktop::open_file(platform::FileDialog& dialog)
{
    if (!run_file_dialog(dialog, QFileDialog::AcceptOpen))
        return false;
    // Like the common open dialog, a confirmed choice moves the current folder to the file's.
    QDir::setCurrent(QFileInfo(QString::fromStdString(dialog.file_name)).absolutePath());
    return true;
}

bool QtDesktop::save_file(platform::FileDialog& dialog)
{
    return run_file_dialog(dialog, QFileDialog::AcceptSave);
}

void QtDesktop::beep()
{
    QApplication::beep();
}

std::string QtDesktop::decimal_separator() const
{
    return QLocale::system().decimalPoint().toStdString();
}

QStringList qt_name_filters(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    if (parts.size() == 1) {
        if (!parts.first().isEmpty())
            filters << QString(parts.first()).replace(';', ' ');
        return filters;
    }
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    return filters;
}

}  // namespace ui
