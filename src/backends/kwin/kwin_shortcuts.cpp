#include "backends/kwin/kwin_shortcuts.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QJsonObject>
#include <QKeySequence>

#include "platform/key_chords.h"

namespace vantile {

namespace {

QString actionName(const std::string& id) {
    return QStringLiteral("vantile-") + QString::fromStdString(id);
}

QString actionText(const std::string& id) {
    return QStringLiteral("Vantile: ") + QString::fromStdString(id);
}

// KGlobalAccel names an action by its component, its name and both their display texts; KWin's
// scripts register theirs under KWin.
QStringList actionId(const std::string& id) {
    return {QStringLiteral("kwin"), actionName(id), QStringLiteral("KWin"), actionText(id)};
}

QDBusMessage globalAccel(const QString& method) {
    return QDBusMessage::createMethodCall(QStringLiteral("org.kde.kglobalaccel"),
                                          QStringLiteral("/kglobalaccel"),
                                          QStringLiteral("org.kde.KGlobalAccel"), method);
}

// Qt writes Super as Meta.
QString qtText(const KeyChord& chord) {
    QString text = QString::fromStdString(formatChord(chord));
    return text.replace(QStringLiteral("Super+"), QStringLiteral("Meta+"));
}

int qtKey(const KeyChord& chord) {
    const QKeySequence sequence =
        QKeySequence::fromString(qtText(chord), QKeySequence::PortableText);
    return sequence.isEmpty() ? 0 : sequence[0].toCombined();
}

} // namespace

KWinShortcuts::KWinShortcuts(KWinBridge& bridge) : bridge_(bridge) {
    bridge_.on(QStringLiteral("shortcut"), [this](const QJsonObject& event) {
        const QString name = event.value(QStringLiteral("name")).toString();
        for (const auto& [id, pressed] : pressed_) {
            if (actionName(id) == name) {
                const ShortcutPress press = pressed;
                if (const auto work = press()) {
                    work();
                }
                return;
            }
        }
    });
}

Registration KWinShortcuts::registerShortcut(const std::string& id, const KeyChord& chord,
                                             ShortcutPress pressed) {
    const int key = qtKey(chord);
    if (key == 0) {
        return Registration::refused;
    }
    const QDBusReply<QStringList> holder =
        QDBusConnection::sessionBus().call(globalAccel(QStringLiteral("action")) << key);
    if (holder.isValid() && holder.value().size() > 1 && holder.value().at(1) != actionName(id)) {
        return Registration::taken;
    }
    // KGlobalAccel keeps the keys it had for the command. Keys that are still the chord this
    // program gave before follow its new chord; keys the user chose in Plasma's settings stay.
    const auto before = registered_.find(id);
    const bool follows = before != registered_.end() && !(before->second == chord) &&
                         heldChords(id) == std::vector{qtText(before->second).toStdString()};
    registered_[id] = chord;
    const Registration result = bind(id, qtText(chord), std::move(pressed));
    if (result == Registration::active && follows) {
        rebind(id, {chord});
    }
    return result;
}

// Shown in Plasma's settings without a key, where the user may bind it.
Registration KWinShortcuts::offerShortcut(const std::string& id, ShortcutPress pressed) {
    return bind(id, QString(), std::move(pressed));
}

Registration KWinShortcuts::bind(const std::string& id, const QString& keys,
                                 ShortcutPress pressed) {
    if (pressed_.contains(id) || !bridge_.answering()) {
        return Registration::refused;
    }
    bridge_.send({{QStringLiteral("c"), QStringLiteral("bind")},
                  {QStringLiteral("name"), actionName(id)},
                  {QStringLiteral("text"), actionText(id)},
                  {QStringLiteral("keys"), keys}});
    pressed_[id] = std::move(pressed);
    return Registration::active;
}

void KWinShortcuts::unregisterShortcut(const std::string& id) {
    if (pressed_.erase(id) > 0) {
        bridge_.send({{QStringLiteral("c"), QStringLiteral("unbind")},
                      {QStringLiteral("name"), actionName(id)}});
    }
}

std::optional<std::vector<std::string>> KWinShortcuts::heldChords(const std::string& id) {
    const QDBusReply<QList<int>> keys =
        QDBusConnection::sessionBus().call(globalAccel(QStringLiteral("shortcut")) << actionId(id));
    if (!keys.isValid()) {
        return std::nullopt;
    }
    std::vector<std::string> chords;
    for (const int key : keys.value()) {
        if (key != 0) {
            chords.push_back(QKeySequence(key).toString(QKeySequence::PortableText).toStdString());
        }
    }
    return chords;
}

bool KWinShortcuts::rebind(const std::string& id, const std::vector<KeyChord>& chords) {
    QList<int> keys;
    for (const KeyChord& chord : chords) {
        if (const int key = qtKey(chord)) {
            keys.append(key);
        }
    }
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(globalAccel(QStringLiteral("setForeignShortcut"))
                                           << actionId(id) << QVariant::fromValue(keys));
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace vantile
