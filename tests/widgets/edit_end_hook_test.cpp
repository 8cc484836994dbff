#include "widgets/edit_end_hook.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>

namespace qa {
namespace {

// Records the end-edit notices it receives, as a list control would.
class Owner : public QObject {
public:
    struct Notice {
        QWidget* editor;
        bool keep;
    };
    QList<Notice> notices;
    // By default the owner keeps watching, so every notice is counted.
    std::function<void(const EditEndEvent&)> onNotice;

    bool event(QEvent* event) override {
        if (event->type() == EditEndEvent::EventType()) {
            const auto* notice = static_cast<EditEndEvent*>(event);
            notices << Notice{notice->Editor(), notice->Keep()};
            if (onNotice) {
                onNotice(*notice);
            }
            return true;
        }
        return QObject::event(event);
    }
};

class EditEndHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        EditEndHook::Install();
        window.resize(300, 200);
        editor = new QLineEdit(&window);
        editor->setGeometry(10, 10, 120, 24);
        button = new QPushButton(QStringLiteral("Other"), &window);
        button->setGeometry(10, 60, 80, 24);
        label = new QLabel(QStringLiteral("Heading"), &window);
        label->setGeometry(10, 100, 80, 24);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        editor->setFocus();
    }
    void TearDown() override {
        if (editor) {
            EditEndHook::Unwatch(editor);
        }
        EditEndHook::Uninstall();
    }

    QWidget window;
    QPointer<QLineEdit> editor;
    QPushButton* button = nullptr;
    QLabel* label = nullptr;
    Owner owner;
};

TEST_F(EditEndHookTest, EscapeDropsTheEditAndEnterKeepsIt) {
    ASSERT_TRUE(EditEndHook::Watch(editor, &owner));
    QTest::keyClick(editor, Qt::Key_A);
    EXPECT_TRUE(owner.notices.isEmpty());
    QTest::keyClick(editor, Qt::Key_Escape);
    ASSERT_EQ(owner.notices.size(), 1);
    EXPECT_EQ(owner.notices[0].editor, editor.data());
    EXPECT_FALSE(owner.notices[0].keep);

    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClick(editor, Qt::Key_Enter);
    ASSERT_EQ(owner.notices.size(), 3);
    EXPECT_TRUE(owner.notices[1].keep);
    EXPECT_TRUE(owner.notices[2].keep);
}

TEST_F(EditEndHookTest, ClickOutsideKeepsTheEditOnceAndClickInsideDoesNothing) {
    // Like a list control, the owner stops watching once told.
    owner.onNotice = [](const EditEndEvent& notice) { EditEndHook::Unwatch(notice.Editor()); };
    ASSERT_TRUE(EditEndHook::Watch(editor, &owner));
    QTest::mouseClick(editor, Qt::LeftButton);
    EXPECT_TRUE(owner.notices.isEmpty());

    // A label hands the press on to its parent: still one user action, one notice.
    QTest::mouseClick(label, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(owner.notices.size(), 1);
    EXPECT_TRUE(owner.notices[0].keep);
    EXPECT_EQ(owner.notices[0].editor, editor.data());

    // A click that also takes the focus away is still told once.
    editor->setFocus();
    ASSERT_TRUE(EditEndHook::Watch(editor, &owner));
    QTest::mouseClick(button, Qt::RightButton);
    QApplication::processEvents();
    EXPECT_EQ(owner.notices.size(), 2);

    ASSERT_TRUE(EditEndHook::Watch(editor, &owner));
    QWheelEvent wheel(QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(button, &wheel);
    EXPECT_EQ(owner.notices.size(), 3);
}

TEST_F(EditEndHookTest, FocusMovingAwayKeepsTheEditButFocusWithinTheEditorDoesNot) {
    auto* date = new QDateEdit(&window);
    date->setGeometry(150, 10, 120, 24);
    date->show();
    ASSERT_TRUE(EditEndHook::Watch(date, &owner));
    date->setFocus();
    ASSERT_TRUE(date->hasFocus());
    EXPECT_TRUE(owner.notices.isEmpty());

    date->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(owner.notices.isEmpty()) << "focus back in the editor";

    button->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(owner.notices.size(), 1);
    EXPECT_TRUE(owner.notices[0].keep);
    EXPECT_EQ(owner.notices[0].editor, date);
}

TEST_F(EditEndHookTest, AnOpenDropDownSuspendsTheEnding) {
    auto* combo = new QComboBox(&window);
    combo->addItems({"Basis", "Clinic", "Lab"});
    combo->setGeometry(150, 10, 120, 24);
    combo->show();
    ASSERT_TRUE(EditEndHook::Watch(combo, &owner));
    combo->setFocus();

    combo->showPopup();
    QApplication::processEvents();
    ASSERT_TRUE(EditEndHook::IsSuspended(combo));
    QTest::mouseClick(button, Qt::LeftButton);
    button->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(owner.notices.isEmpty()) << "the list is open: the edit goes on";

    combo->hidePopup();
    QApplication::processEvents();
    EXPECT_FALSE(EditEndHook::IsSuspended(combo));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(owner.notices.size(), 1);
}

TEST_F(EditEndHookTest, NoticeGoesToTheNotifyObjectWhenThereIsOne) {
    Owner notify;
    ASSERT_TRUE(EditEndHook::Watch(editor, &owner, &notify));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_TRUE(owner.notices.isEmpty());
    EXPECT_EQ(notify.notices.size(), 1);

    // Watching again replaces the watcher.
    ASSERT_TRUE(EditEndHook::Watch(editor, &owner));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(owner.notices.size(), 1);
    EXPECT_EQ(notify.notices.size(), 1);
}

TEST_F(EditEndHookTest, DestroyedOrUnwatchedEditorsAreForgottenAndBadArgumentsRefused) {
    EXPECT_FALSE(EditEndHook::Watch(nullptr, &owner));
    EXPECT_FALSE(EditEndHook::Watch(editor, nullptr));
    const int before = EditEndHook::WatchCount();
    ASSERT_TRUE(EditEndHook::Watch(editor, &owner));
    EXPECT_EQ(EditEndHook::WatchCount(), before + 1);
    delete editor.data();
    EXPECT_EQ(EditEndHook::WatchCount(), before);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(owner.notices.isEmpty());

    auto* second = new QLineEdit(&window);
    ASSERT_TRUE(EditEndHook::Watch(second, &owner));
    EditEndHook::Unwatch(second);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(owner.notices.isEmpty());
}

TEST_F(EditEndHookTest, OwnerMayDeleteTheEditorWhileBeingToldAndTheFilterCountsClients) {
    owner.onNotice = [&](const EditEndEvent& notice) { delete notice.Editor(); };
    ASSERT_TRUE(EditEndHook::Watch(editor, &owner));
    QTest::keyPress(editor, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(owner.notices.size(), 1);

    // A second client keeps the filter when the first leaves.
    EditEndHook::Install();
    EditEndHook::Uninstall();
    EXPECT_TRUE(EditEndHook::IsInstalled());
    auto* other = new QLineEdit(&window);
    Owner quiet;
    ASSERT_TRUE(EditEndHook::Watch(other, &quiet));
    EditEndHook::Uninstall();
    EXPECT_FALSE(EditEndHook::IsInstalled());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(quiet.notices.isEmpty()) << "no filter, no notices";
    EditEndHook::Unwatch(other);
    EditEndHook::Install();
}

} // namespace
} // namespace qa
