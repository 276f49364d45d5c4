#include "ui/qt/shortcuts_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/key_chords.h"
#include "core/input/shortcut_table.h"

namespace vantile {

namespace {

// Qt's portable text calls Super "Meta", which the chord reader takes as well.
QKeySequence sequenceOf(const std::vector<KeyChord>& chords) {
    if (chords.empty()) {
        return {};
    }
    QString text = QString::fromStdString(formatChord(chords.front()));
    text.replace("Super+", "Meta+");
    return QKeySequence::fromString(text, QKeySequence::PortableText);
}

// The first key of the sequence, as a chord; none for an empty one or one a chord cannot name.
std::optional<KeyChord> chordOf(const QKeySequence& sequence) {
    if (sequence.isEmpty()) {
        return std::nullopt;
    }
    return parseChord(QKeySequence(sequence[0]).toString(QKeySequence::PortableText).toStdString());
}

} // namespace

ShortcutsWindow::ShortcutsWindow(AppDelegate& delegate) : delegate_(delegate) {
    setWindowTitle("Shortcuts");
    auto* grid = new QGridLayout;
    int line = 0;
    for (const ShortcutCommand& command : shortcutCommands()) {
        Row row{command.name, new QKeySequenceEdit, new QLabel, {}};
        row.keys->setClearButtonEnabled(true);
        row.keys->setMinimumWidth(
            row.keys->fontMetrics().horizontalAdvance("Ctrl+Alt+Shift+Return") +
            row.keys->fontMetrics().height() * 2);
        grid->addWidget(new QLabel(QString::fromStdString(command.name)), line, 0);
        grid->addWidget(row.keys, line, 1);
        grid->addWidget(row.mark, line++, 2);
        rows_.push_back(row);
    }
    auto* list = new QWidget;
    list->setLayout(grid);
    auto* scroll = new QScrollArea;
    scroll->setWidget(list);
    scroll->setWidgetResizable(true);

    message_ = new QLabel;
    message_->setWordWrap(true);
    freeKeys_ = new QPushButton("Use Free Keys");
    restore_ = new QPushButton("Restore Defaults");
    save_ = new QPushButton("Save");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(freeKeys_);
    buttons->addWidget(restore_);
    buttons->addStretch();
    buttons->addWidget(save_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll);
    layout->addWidget(message_);
    layout->addLayout(buttons);
    connect(freeKeys_, &QPushButton::clicked, this, [this] { useFreeKeys(); });
    connect(restore_, &QPushButton::clicked, this, [this] { restoreDefaults(); });
    connect(save_, &QPushButton::clicked, this, [this] { save(); });
    // Within the monitor's usable height, whatever the scale: the list scrolls, the buttons stay.
    const QRect usable = screen()->availableGeometry();
    resize(std::min(720, usable.width()), std::min(640, usable.height() * 9 / 10));
    refresh();
}

void ShortcutsWindow::refresh() {
    const ShortcutManager* manager = delegate_.shortcutManager();
    if (manager == nullptr) {
        return;
    }
    QStringList problems;
    for (Row& row : rows_) {
        std::vector<KeyChord> chords;
        QString mark;
        for (const BindingReport& line : manager->report()) {
            if (line.command != row.command || line.status == BindingReport::Status::invalid) {
                continue;
            }
            if (const auto chord = parseChord(line.chord)) {
                chords.push_back(*chord);
                if (line.status == BindingReport::Status::taken) {
                    mark += QString::fromStdString(line.chord) + " is taken by another program ";
                }
            }
        }
        row.keys->setKeySequence(sequenceOf(chords));
        row.more.assign(chords.empty() ? chords.end() : chords.begin() + 1, chords.end());
        row.mark->setText(mark.trimmed());
    }
    for (const BindingReport& line : manager->report()) {
        if (line.status == BindingReport::Status::invalid) {
            problems << QString::fromStdString(line.command + " " + line.chord + ": " +
                                               line.reason);
        }
    }
    QStringList text;
    if (!problems.isEmpty()) {
        text << "Not used from the file: " + problems.join("; ") + ".";
    }
    for (const std::string& note : delegate_.desktopNotes()) {
        text << QString::fromStdString(note) + ".";
    }
    message_->setText(text.join("\n"));
    freeKeys_->setEnabled(!delegate_.shortcutManager()->freeAlternatives().empty());
}

void ShortcutsWindow::restoreDefaults() {
    const auto defaults = defaultShortcutChords();
    for (Row& row : rows_) {
        const auto& chords = defaults.at(row.command);
        row.keys->setKeySequence(sequenceOf(chords));
        row.more.assign(chords.empty() ? chords.end() : chords.begin() + 1, chords.end());
    }
}

void ShortcutsWindow::useFreeKeys() {
    const auto alternatives = delegate_.shortcutManager()->freeAlternatives();
    for (Row& row : rows_) {
        if (const auto found = alternatives.find(row.command); found != alternatives.end()) {
            row.keys->setKeySequence(sequenceOf({found->second}));
        }
    }
    save();
}

void ShortcutsWindow::save() {
    std::map<std::string, std::vector<KeyChord>> chosen;
    for (const Row& row : rows_) {
        const QKeySequence sequence = row.keys->keySequence();
        const auto chord = chordOf(sequence);
        if (!sequence.isEmpty() && !chord) {
            message_->setText(row.keys->keySequence().toString() + " cannot be a shortcut: use " +
                              "Ctrl, Alt, Shift or Super with a key of a US keyboard.");
            return;
        }
        auto& chords = chosen[row.command];
        if (chord) {
            chords.push_back(*chord);
        }
        chords.insert(chords.end(), row.more.begin(), row.more.end());
    }
    if (!delegate_.saveShortcuts(chosen)) {
        message_->setText(
            QString::fromStdString("Could not write " + delegate_.shortcutsPath().string() + "."));
        return;
    }
    refresh();
}

} // namespace vantile
