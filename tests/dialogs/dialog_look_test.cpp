// The three dialogs as the user sees them, each filled with its longest content:
// no caption, view or row is cut off, and a picture of each is written
// (to $VANTOR_DIALOG_PICTURES, /tmp/vantor-dialogs when unset).
#include "../shell/shell_test_support.h"

#include "definitions/dialogs/message_dialogs.h"
#include "shell/control_ids.h"
#include "shell/owner_button.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <functional>

namespace vantor::test {
namespace {

class DialogLookTest : public MainFormTest {
protected:
    void SetUp() override
    {
        dialogs::installDialogShell({&setFormRoutines, &paintOwnerButton});
        dialogs::registerDialogForms();
        MainFormTest::SetUp();
        const char* env = std::getenv("VANTOR_DIALOG_PICTURES");
        pictures = env && *env ? env : "/tmp/vantor-dialogs";
        std::filesystem::create_directories(pictures);
    }

    // Opens a modal dialog with `open`, checks and pictures it, then closes it.
    void look(const std::string& dialog, const std::function<void()>& open, const std::string& picture,
              const std::function<void()>& check)
    {
        bool shown = false;
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QWidget* w = toolkitFormWidget(dialog);
            if (!w || !w->isVisible())
                return;
            watch.stop();
            shown = true;
            check();
            EXPECT_EQ(GN_GRABFORM(dialog, pictures + "/" + picture), 1);
            GN_UNLOADFORM(dialog);
        });
        watch.start();
        open();
        EXPECT_TRUE(shown) << dialog;
    }

    // The text fits the control's inside (less `inset` pixels a side), wrapped at blanks.
    void expectFits(const std::string& dialog, int id, const std::string& shown, int inset)
    {
        QWidget* w = toolkitControlWidget(dialog, id);
        ASSERT_NE(w, nullptr) << id;
        const QRect inside = w->rect().adjusted(inset, inset, -inset, -inset);
        const QRect needed = QFontMetrics(w->font()).boundingRect(
            QRect(0, 0, inside.width(), 10000), Qt::AlignTop | Qt::TextWordWrap, QString::fromLatin1(shown));
        EXPECT_LE(needed.width(), inside.width()) << dialog << " " << id << " " << shown;
        EXPECT_LE(needed.height(), inside.height()) << dialog << " " << id << " " << shown;
    }
    void expectCaptionsFit(const std::string& dialog, std::initializer_list<int> ids)
    {
        for (int id : ids) {
            auto* b = qobject_cast<QAbstractButton*>(toolkitControlWidget(dialog, id));
            ASSERT_NE(b, nullptr) << id;
            EXPECT_LE(b->sizeHint().width() - 16, b->width()) << dialog << " " << id;
            EXPECT_LE(QFontMetrics(b->font()).height() + 4, b->height()) << dialog << " " << id;
        }
    }

    // The widest character a message byte can show as, repeated n times.
    static std::string widest(const QFont& font, int n)
    {
        const QFontMetrics metrics(font);
        char best = 'W';
        for (int c = 0x20; c <= 0xFF; ++c)
            if (metrics.horizontalAdvance(QChar(c)) > metrics.horizontalAdvance(QChar(static_cast<uchar>(best))))
                best = static_cast<char>(c);
        return std::string(static_cast<std::size_t>(n), best);
    }
    static std::string repeat(const std::string& s, int n)
    {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += s;
        return out;
    }

    void expectMessageFormFits(int limit)
    {
        expectCaptionsFit("MSGFORM", {100, 105, 110, 115, 2, 120, 125, 130});
        EXPECT_EQ(GN_GETTEXT("MSGFORM", 140), repeat("FF ", limit));
        expectFits("MSGFORM", 135, repeat("255 ", limit), 2);
        expectFits("MSGFORM", 140, repeat("FF ", limit), 2);
        expectFits("MSGFORM", 145, widest(toolkitControlWidget("MSGFORM", 145)->font(), limit), 2);
    }

    std::string pictures;
};

TEST_F(DialogLookTest, EveryDialogShowsItsLongestContentWhole)
{
    using namespace vantor::mainid;
    GN_SETTEXT(form, onMessageLabel, repeat("FF ", 31));
    look("MSGFORM", [] { dialogs::openOnMessageDialog(); }, "message-form.png", [&] { expectMessageFormFits(31); });

    GN_SETCHECK(form, longOnMessage, 1);
    GN_SETTEXT(form, onMessageLabel, repeat("FF ", 62));
    look("MSGFORM", [] { dialogs::openOnMessageDialog(); }, "message-form-long.png",
         [&] { expectMessageFormFits(62); });
    GN_SETCHECK(form, longOnMessage, 0);

    shellFlags().keyboardMode = 1;
    GN_SETTEXT(form, onMessageLabel, "{SC}s{A}f{S}Hello");
    look("KEYBOARDMSG", [] { dialogs::openOnMessageDialog(); }, "keyboard-message.png", [&] {
        expectCaptionsFit("KEYBOARDMSG", {100, 105, 110, 115, 2});
        // Thirty keys show whole in the field (a macro with many modifier
        // groups scrolls in it).
        expectFits("KEYBOARDMSG", 120, widest(toolkitControlWidget("KEYBOARDMSG", 120)->font(), 30), 3);
    });
    shellFlags().keyboardMode = 0;

    look("SONYCODES", [] { dialogs::openCommandPicker(true); }, "sony-commands.png", [&] {
        expectCaptionsFit("SONYCODES", {105, 2});
        auto* list = qobject_cast<QTreeWidget*>(toolkitControlWidget("SONYCODES", 100));
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->topLevelItemCount(), 27);
        GN_LVSETSEL("SONYCODES", 100, 3);
        // Every row shows without scrolling, every name and byte text whole.
        EXPECT_LE(list->visualItemRect(list->topLevelItem(26)).bottom(), list->viewport()->height());
        const QFontMetrics metrics(list->font());
        for (int row = 0; row < 27; ++row)
            for (int column = 0; column < 2; ++column)
                EXPECT_LE(metrics.horizontalAdvance(list->topLevelItem(row)->text(column)) + 12,
                          list->columnWidth(column)) << row << " " << column;
        EXPECT_LE(list->columnWidth(0) + list->columnWidth(1), list->viewport()->width());
    });
}

} // namespace
} // namespace vantor::test
