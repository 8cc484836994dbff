#include "widgets/edit_end_hook.h"

#include <QApplication>
#include <QInputEvent>
#include <QKeyEvent>
#include <QMetaObject>

namespace qa {

QEvent::Type EditEndEvent::EventType() {
    static const auto type =
        static_cast<QEvent::Type>(QEvent::registerEventType(QEvent::User + 1034));
    return type;
}

EditEndEvent::EditEndEvent(QWidget* editor, bool keep)
    : QEvent(EventType()), editor_(editor), keep_(keep) {}

EditEndHook* EditEndHook::instance() {
    // Never destroyed: it may outlive the application object that it filters.
    static auto* hook = new EditEndHook;
    return hook;
}

void EditEndHook::Install() {
    EditEndHook* hook = instance();
    if (++hook->clients_ == 1 && qApp) {
        qApp->installEventFilter(hook);
    }
}

void EditEndHook::Uninstall() {
    EditEndHook* hook = instance();
    if (hook->clients_ == 0) {
        return;
    }
    if (--hook->clients_ == 0 && qApp) {
        qApp->removeEventFilter(hook);
    }
}

bool EditEndHook::IsInstalled() {
    return instance()->clients_ > 0;
}

bool EditEndHook::Watch(QWidget* editor, QObject* owner, QObject* notify) {
    if (!editor || !owner) {
        return false;
    }
    EditEndHook* hook = instance();
    hook->watchers_.insert(editor, Watcher{editor, owner, notify, false});
    connect(editor, &QObject::destroyed, hook, &EditEndHook::onEditorDestroyed,
            Qt::UniqueConnection);
    return true;
}

void EditEndHook::Unwatch(QWidget* editor) {
    EditEndHook* hook = instance();
    if (editor && hook->watchers_.remove(editor) > 0) {
        disconnect(editor, &QObject::destroyed, hook, &EditEndHook::onEditorDestroyed);
    }
}

void EditEndHook::onEditorDestroyed(QObject* editor) {
    watchers_.remove(editor);
}

bool EditEndHook::IsWatched(const QWidget* editor) {
    return instance()->watchers_.contains(editor);
}

bool EditEndHook::IsSuspended(const QWidget* editor) {
    const auto& watchers = instance()->watchers_;
    const auto it = watchers.constFind(editor);
    return it != watchers.cend() && it->suspended;
}

int EditEndHook::WatchCount() {
    return static_cast<int>(instance()->watchers_.size());
}

bool EditEndHook::isInside(const QWidget* widget, const QWidget* editor) {
    // parentWidget() crosses window boundaries, so an editor's own pop-ups count as inside.
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (w == editor) {
            return true;
        }
    }
    return false;
}

bool EditEndHook::popupOpen(const QWidget* editor) {
    const QWidget* popup = QApplication::activePopupWidget();
    return popup && popup->isVisible() && isInside(popup, editor);
}

EditEndHook::Watcher* EditEndHook::findWatcher(QObject* object) {
    if (!object || !object->isWidgetType()) {
        return nullptr;
    }
    for (QWidget* w = static_cast<QWidget*>(object); w; w = w->parentWidget()) {
        const auto it = watchers_.find(w);
        if (it != watchers_.end() && it->editor) {
            return &*it;
        }
    }
    return nullptr;
}

void EditEndHook::notify(QWidget* editor, bool keep) {
    const auto it = watchers_.constFind(editor);
    if (it == watchers_.cend()) {
        return;
    }
    QObject* target = it->notify ? it->notify.data() : it->owner.data();
    if (!target) {
        return;
    }
    EditEndEvent notice(editor, keep);
    QCoreApplication::sendEvent(target, &notice);
}

void EditEndHook::endAllOutside() {
    // Owners usually stop watching when told, so walk a snapshot.
    const QList<const QObject*> editors = watchers_.keys();
    for (const QObject* key : editors) {
        const auto it = watchers_.constFind(key);
        if (it == watchers_.cend() || !it->editor || it->suspended || popupOpen(it->editor)) {
            continue;
        }
        notify(it->editor, true);
    }
}

bool EditEndHook::isPropagation(QWidget* receiver, QEvent* event) {
    QPointF position;
    int key = 0;
    if (event->type() == QEvent::KeyPress) {
        key = static_cast<QKeyEvent*>(event)->key();
    } else {
        position = static_cast<QSinglePointEvent*>(event)->globalPosition();
    }
    // The same press handed on from a child to one of its ancestors.
    const bool repeat = lastReceiver_ && lastReceiver_ != receiver && event->type() == lastType_ &&
                        key == lastKey_ && position == lastPosition_ &&
                        receiver->isAncestorOf(lastReceiver_);
    lastReceiver_ = receiver;
    lastType_ = event->type();
    lastPosition_ = position;
    lastKey_ = key;
    return repeat;
}

void EditEndHook::focusLeft(QPointer<QWidget> editor) {
    // Looked at once the focus change is complete: an editor that is being destroyed, or
    // that got the focus back, needs no notice.
    if (!editor) {
        return;
    }
    const auto it = watchers_.constFind(editor.data());
    if (it == watchers_.cend() || it->suspended || popupOpen(editor)) {
        return;
    }
    const QWidget* focus = QApplication::focusWidget();
    if (focus && isInside(focus, editor)) {
        return;
    }
    notify(editor, true);
}

bool EditEndHook::eventFilter(QObject* watched, QEvent* event) {
    if (watchers_.isEmpty() || !watched->isWidgetType()) {
        return false;
    }
    auto* widget = static_cast<QWidget*>(watched);
    const QEvent::Type type = event->type();

    switch (type) {
    case QEvent::Show:
    case QEvent::Hide:
        if (widget->windowType() == Qt::Popup) {
            if (Watcher* watcher = findWatcher(widget)) {
                watcher->suspended = type == QEvent::Show;
            } else if (type == QEvent::Show) {
                // A menu or another control's list opening elsewhere.
                endAllOutside();
            }
        }
        return false;
    case QEvent::FocusOut:
        if (Watcher* watcher = findWatcher(widget); watcher && !watcher->suspended) {
            QMetaObject::invokeMethod(
                this, [this, editor = watcher->editor] { focusLeft(editor); },
                Qt::QueuedConnection);
        }
        return false;
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::Wheel:
        break;
    default:
        return false;
    }

    if (isPropagation(widget, event)) {
        return false;
    }
    const QPointer<QObject> receiver(watched);
    if (type == QEvent::KeyPress) {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        if (key != Qt::Key_Escape && key != Qt::Key_Return && key != Qt::Key_Enter) {
            return false;
        }
        // Keys inside an open list or calendar belong to that pop-up.
        if (widget->window()->windowType() == Qt::Popup) {
            return false;
        }
        Watcher* watcher = findWatcher(widget);
        if (!watcher || watcher->suspended) {
            return false;
        }
        notify(watcher->editor, key != Qt::Key_Escape);
    } else if (!findWatcher(widget)) {
        endAllOutside();
    }
    // An owner that deleted the editor at once must not have the event delivered to it.
    return receiver.isNull();
}

} // namespace qa
