#pragma once

#include <QEvent>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace qa {

// Part of the widget set the program was designed with; no window of this program shows it
// at present. It is kept, with its tests, for the pages that will.
//
// Sent (synchronously) to the notify object, or to the owner when there is none, when an
// in-place edit should end. Owners should destroy the editor with deleteLater().
class EditEndEvent : public QEvent {
public:
    static QEvent::Type EventType();

    EditEndEvent(QWidget* editor, bool keep);
    QWidget* Editor() const { return editor_; }
    // True to keep the edited value (Enter, a click or focus elsewhere), false to drop it
    // (Escape).
    bool Keep() const { return keep_; }

private:
    QPointer<QWidget> editor_;
    bool keep_;
};

// One application-wide event filter that watches in-place editors and tells their owners when
// the user leaves them: Escape and Enter inside an editor, the focus moving away, or a click,
// wheel turn or menu opening anywhere else. An open drop-down (combo list, calendar) of an
// editor holds its edit open.
class EditEndHook : public QObject {
    Q_OBJECT
public:
    // Clients install and uninstall in pairs; the filter lives while one is installed.
    static void Install();
    static void Uninstall();
    static bool IsInstalled();

    // Both editor and owner are required. Watching an editor again replaces its watcher.
    static bool Watch(QWidget* editor, QObject* owner, QObject* notify = nullptr);
    static void Unwatch(QWidget* editor);
    static bool IsWatched(const QWidget* editor);
    static bool IsSuspended(const QWidget* editor);
    static int WatchCount();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Watcher {
        QPointer<QWidget> editor;
        QPointer<QObject> owner;
        QPointer<QObject> notify;
        bool suspended = false;
    };

    EditEndHook() = default;
    static EditEndHook* instance();
    Watcher* findWatcher(QObject* object);
    static bool popupOpen(const QWidget* editor);
    static bool isInside(const QWidget* widget, const QWidget* editor);
    void notify(QWidget* editor, bool keep);
    void endAllOutside();
    void onEditorDestroyed(QObject* editor);

    int clients_ = 0;
    QHash<const QObject*, Watcher> watchers_;
    bool isPropagation(QWidget* receiver, QEvent* event);
    void focusLeft(QPointer<QWidget> editor);

    // Ignored mouse and key events travel on to the parents and arrive here once per widget;
    // one notice per user action is enough.
    QPointer<QWidget> lastReceiver_;
    QEvent::Type lastType_ = QEvent::None;
    QPointF lastPosition_;
    int lastKey_ = 0;
};

} // namespace qa
