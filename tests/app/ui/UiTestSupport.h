#pragma once

// Helpers shared by the Qt Test suites: a private settings store per test program, and a
// way to act on a modal dialog while the code under test is blocked in its exec().

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

#include "app/ui/TrendfitApp.h"

namespace ui_test {

// Points the per-user settings store into a fresh temporary directory, so that no test
// reads or writes the real user's settings, and names it as the program does.
class IsolatedSettings {
public:
    IsolatedSettings() {
        CTrendfitApp::SetRegistryKey();
        for (auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
            QSettings::setPath(format, QSettings::UserScope, m_dir.path());
            QSettings::setPath(format, QSettings::SystemScope, m_dir.path() + "/system");
        }
    }
    // Forgets everything stored so far.
    static void Clear() {
        QSettings settings;
        settings.clear();
        settings.sync();
    }
    QString Path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// Watches for a modal dialog while the code under test is blocked in its exec(): as soon
// as the active modal widget is a visible T, runs `action` on it once. Polls every 10 ms
// while the watch lives (nested event loops included), so it is set up before the call that
// opens the dialog; leaving its scope stops it, so it never acts on a later dialog.
// `action` must close the dialog, or the code under test waits for ever.
template <class T>
class ModalWatch {
public:
    explicit ModalWatch(std::function<void(T*)> action) : m_action(std::move(action)) {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start();
    }
    ModalWatch(const ModalWatch&) = delete;
    ModalWatch& operator=(const ModalWatch&) = delete;

    // Whether the dialog came up and `action` ran.
    bool Seen() const { return m_seen; }

private:
    void Poll() {
        auto* widget = qobject_cast<T*>(QApplication::activeModalWidget());
        if (widget == nullptr || !widget->isVisible()) return;
        m_timer.stop();
        m_seen = true;
        m_action(widget);
    }

    std::function<void(T*)> m_action;
    QTimer m_timer;
    bool m_seen = false;
};

// Closes the next message box with OK and keeps its text.
class MessageBoxWatch {
public:
    MessageBoxWatch()
        : m_watch([this](QMessageBox* box) {
              m_text = box->text();
              m_title = box->windowTitle();
              box->done(QMessageBox::Ok);
          }) {}
    bool Seen() const { return m_watch.Seen(); }
    // The box's text; a null string while no box came up.
    const QString& Text() const { return m_text; }
    const QString& Title() const { return m_title; }

private:
    QString m_text;
    QString m_title;
    ModalWatch<QMessageBox> m_watch;
};

// The child of `parent` with this object name (a control id, "IDOK", "IDCANCEL").
template <class T = QWidget>
T* Child(QWidget* parent, const QString& name) {
    return parent == nullptr ? nullptr : parent->findChild<T*>(name);
}

inline void SetText(QWidget* dialog, int controlId, const QString& text) {
    if (auto* edit = Child<QLineEdit>(dialog, QString::number(controlId))) edit->setText(text);
}

inline QString Text(QWidget* dialog, int controlId) {
    auto* edit = Child<QLineEdit>(dialog, QString::number(controlId));
    return edit == nullptr ? QString("<missing %1>").arg(controlId) : edit->text();
}

inline void ClickOk(QWidget* dialog) {
    if (auto* ok = Child<QPushButton>(dialog, "IDOK")) ok->click();
}

// Presses OK; a dialog that refused its input and stayed open is cancelled, so the code
// waiting in its exec() goes on.
inline void ClickOkOrCancel(QDialog* dialog) {
    ClickOk(dialog);
    if (dialog->isVisible()) dialog->reject();
}

// The lines of a list widget, in order.
inline QStringList Lines(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; list != nullptr && i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
}

// An elapsed-time line carries the milliseconds the fit took; the rest of a run's output
// is fixed by its inputs. Replaces the number by '#'.
inline QString MaskMilliseconds(QString line) {
    static const QRegularExpression elapsed(QStringLiteral("用时:\\d+毫秒"));
    return line.replace(elapsed, QStringLiteral("用时:#毫秒"));
}

inline QStringList MaskMilliseconds(const QStringList& lines) {
    QStringList masked;
    for (const QString& line : lines) masked << MaskMilliseconds(line);
    return masked;
}

}  // namespace ui_test
