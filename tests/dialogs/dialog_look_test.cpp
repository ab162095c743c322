// The dialogs filled with their longest content: no view, caption or row is cut
// off. A picture of each goes to $VANTOR_DIALOG_PICTURES (/tmp/vantor-dialogs).
#include "../shell/shell_test_support.h"

#include "definitions/dialogs/message_dialogs.h"
#include "shell/control_ids.h"
#include "shell/owner_button.h"

#include <QAbstractButton>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <functional>

namespace vantor::test {
namespace {

std::string times(const std::string& s, int n)
{
    std::string out;
    while (n-- > 0)
        out += s;
    return out;
}

// The text needs no more room than the control has inside its 2-pixel edge.
bool fits(const std::string& dialog, int id, const std::string& text)
{
    QWidget* w = toolkitControlWidget(dialog, id);
    const QRect inside = w->rect().adjusted(2, 2, -2, -2);
    const QRect need = w->fontMetrics().boundingRect(QRect(0, 0, inside.width(), 9999), Qt::AlignTop | Qt::TextWordWrap,
                                                     QString::fromLatin1(text));
    return need.width() <= inside.width() && need.height() <= inside.height();
}

// Of the characters a byte shows as, the widest in the control's font.
std::string widest(const std::string& dialog, int id)
{
    const QFontMetrics m = toolkitControlWidget(dialog, id)->fontMetrics();
    int best = 'W';
    for (int c = 0x21; c <= 0xFF; ++c)
        best = m.horizontalAdvance(QChar(c)) > m.horizontalAdvance(QChar(best)) ? c : best;
    return std::string(1, static_cast<char>(best));
}

bool captionsFit(const std::string& dialog, std::initializer_list<int> ids)
{
    for (int id : ids)
        if (auto* b = qobject_cast<QAbstractButton*>(toolkitControlWidget(dialog, id));
            !b || b->fontMetrics().horizontalAdvance(b->text()) + 8 > b->width())
            return false;
    return true;
}

class DialogLookTest : public MainFormTest { };

TEST_F(DialogLookTest, EveryDialogShowsItsLongestContentWhole)
{
    dialogs::installDialogShell({&setFormRoutines, &paintOwnerButton});
    dialogs::registerDialogForms();
    const char* env = std::getenv("VANTOR_DIALOG_PICTURES");
    const std::string folder = env && *env ? env : "/tmp/vantor-dialogs";
    std::filesystem::create_directories(folder);
    auto look = [&](const std::string& dialog, const std::function<void()>& open, const std::string& picture,
                    const std::function<void()>& check) {
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (QWidget* w = toolkitFormWidget(dialog); w && w->isVisible() && watch.isActive()) {
                watch.stop();
                check();
                EXPECT_EQ(GN_GRABFORM(dialog, folder + "/" + picture), 1);
                GN_UNLOADFORM(dialog);
            }
        });
        watch.start(0);
        open();
        EXPECT_FALSE(watch.isActive()) << dialog;
    };
    for (int limit : {31, 62}) {
        GN_SETCHECK(form, mainid::longOnMessage, limit == 62);
        GN_SETTEXT(form, mainid::onMessageLabel, times("FF ", limit));
        look(
            "MSGFORM", [] { dialogs::openOnMessageDialog(); },
            limit == 31 ? "message-form.png" : "message-form-long.png",
            [&] {
                EXPECT_TRUE(captionsFit("MSGFORM", {100, 105, 110, 115, 2, 120, 125, 130}));
                EXPECT_EQ(GN_GETTEXT("MSGFORM", 140), times("FF ", limit));
                EXPECT_TRUE(fits("MSGFORM", 135, times("255 ", limit)));
                EXPECT_TRUE(fits("MSGFORM", 140, times("FF ", limit)));
                EXPECT_TRUE(fits("MSGFORM", 145, times(widest("MSGFORM", 145), limit)));
            });
    }
    GN_SETCHECK(form, mainid::longOnMessage, 0);

    shellFlags().keyboardMode = 1;
    GN_SETTEXT(form, mainid::onMessageLabel, "{SC}s{A}f{S}Hello");
    look(
        "KEYBOARDMSG", [] { dialogs::openOnMessageDialog(); }, "keyboard-message.png",
        [&] {
            EXPECT_TRUE(captionsFit("KEYBOARDMSG", {100, 105, 110, 115, 2}));
        });
    shellFlags().keyboardMode = 0;

    look(
        "SONYCODES", [] { dialogs::openCommandPicker(true); }, "sony-commands.png",
        [&] {
            EXPECT_TRUE(captionsFit("SONYCODES", {105, 2}));
            auto* list = qobject_cast<QTreeWidget*>(toolkitControlWidget("SONYCODES", 100));
            ASSERT_EQ(list->topLevelItemCount(), 27);
            GN_LVSETSEL("SONYCODES", 100, 3);
            EXPECT_LE(list->visualItemRect(list->topLevelItem(26)).bottom(), list->viewport()->height());
            for (int row = 0; row < 27; ++row)
                for (int column = 0; column < 2; ++column)
                    EXPECT_LE(list->fontMetrics().horizontalAdvance(list->topLevelItem(row)->text(column)) + 12,
                              list->columnWidth(column));
        });
}

} // namespace
} // namespace vantor::test
