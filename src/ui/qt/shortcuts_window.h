#pragma once

// The Shortcuts window: one row per command with its key in Qt's key sequence editor, a mark on
// a key another program holds, the file's bad entries below, and the buttons to take free keys in
// place of the taken ones, to restore the defaults and to save. Saving writes the shortcuts file,
// which the running program applies at once.

#include <QWidget>

#include <string>
#include <vector>

#include "app/app_delegate.h"

class QKeySequenceEdit;
class QLabel;
class QPushButton;

namespace vantile {

class ShortcutsWindow : public QWidget {
  public:
    explicit ShortcutsWindow(AppDelegate& delegate);

    // Shows every command's keys as the program holds them now.
    void refresh();

    struct Row {
        std::string command;
        QKeySequenceEdit* keys = nullptr;
        QLabel* mark = nullptr;
        // A command's keys after its first, kept as they are.
        std::vector<KeyChord> more;
    };
    const std::vector<Row>& rows() const { return rows_; }
    QPushButton* restoreButton() const { return restore_; }
    QPushButton* freeKeysButton() const { return freeKeys_; }
    QPushButton* saveButton() const { return save_; }
    QLabel* message() const { return message_; }

  private:
    void restoreDefaults();
    void useFreeKeys();
    void save();

    AppDelegate& delegate_;
    std::vector<Row> rows_;
    QLabel* message_ = nullptr;
    QPushButton* freeKeys_ = nullptr;
    QPushButton* restore_ = nullptr;
    QPushButton* save_ = nullptr;
};

} // namespace vantile
