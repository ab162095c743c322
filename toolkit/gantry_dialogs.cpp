// Message boxes, file dialogs, help and the debug window.
#include "toolkit/gantry_internal.h"

#include <QApplication>
#include <QDesktopServices>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>

namespace gantry {
namespace {

GnMessageHook& messageHook()
{
    static GnMessageHook h;
    return h;
}
GnFileDialogHook& fileHook()
{
    static GnFileDialogHook h;
    return h;
}
std::vector<std::string>& filePlaces()
{
    static std::vector<std::string> places;
    return places;
}
std::function<void(const std::string&)>& helpHook()
{
    static std::function<void(const std::string&)> h;
    return h;
}
std::string& captionSetting()
{
    static std::string c;
    return c;
}
std::string& debugText()
{
    static std::string t;
    return t;
}
QPointer<QPlainTextEdit>& debugEdit()
{
    static QPointer<QPlainTextEdit> e;
    return e;
}

bool messagesToStderr()
{
    const char* v = std::getenv("VANTOR_MESSAGES");
    return v && std::string(v) == "stderr";
}

std::string removeAll(std::string s, const std::string& what)
{
    for (size_t p; (p = s.find(what)) != std::string::npos;)
        s.erase(p, what.size());
    return s;
}

// "Key Definition List|*.kdl|All|*.*" -> "Key Definition List (*.kdl);;All (*.*)"
QString qtFilter(const std::string& filter)
{
    const QStringList parts = qs(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    if (parts.size() % 2 == 1 && !parts.back().isEmpty())
        out << parts.back();
    return out.join(";;");
}

std::string withExtension(const std::string& path, const std::string& ext)
{
    if (path.empty() || ext.empty())
        return path;
    if (QFileInfo(pathName(path)).suffix().isEmpty())
        return path + "." + ext;
    return path;
}

QWidget* parentWindow(const std::string& form)
{
    auto f = findForm(form);
    return f ? f->window.data() : nullptr;
}

} // namespace

int showMessage(const std::string& caption, const std::string& text, const std::string& buttons)
{
    const std::string b = upper(buttons);
    const int first = b.rfind("YES", 0) == 0 ? 6 : 1;
    if (messageHook())
        return messageHook()(caption, text);
    if (messagesToStderr() || !qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
        std::fflush(stderr);
        return first;
    }
    QMessageBox box(QMessageBox::NoIcon, qs(caption), qs(text), QMessageBox::NoButton, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    if (b == "OKCANCEL")
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    else if (b == "YESNO")
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    else if (b == "YESNOCANCEL")
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    else
        box.setStandardButtons(QMessageBox::Ok);
    switch (box.exec()) {
    case QMessageBox::Cancel: return 2;
    case QMessageBox::Yes: return 6;
    case QMessageBox::No: return 7;
    default: return 1;
    }
}

void resetDebugWindowPointer()
{
    debugEdit() = nullptr;
}

} // namespace gantry

using namespace gantry;

void setMessageHook(GnMessageHook hook)
{
    messageHook() = std::move(hook);
}
void setFileDialogPlaces(std::vector<std::string> folders)
{
    filePlaces() = std::move(folders);
}

void setFileDialogHook(GnFileDialogHook hook)
{
    fileHook() = std::move(hook);
}
void setHelpHook(std::function<void(const std::string&)> hook)
{
    helpHook() = std::move(hook);
}
std::string debugWindowText()
{
    return debugText();
}

void setDefaultCaption(const std::string& caption)
{
    captionSetting() = caption;
}

std::string defaultCaption()
{
    if (!captionSetting().empty())
        return captionSetting();
    return QCoreApplication::instance() ? bytes(QCoreApplication::applicationName()) : std::string();
}

void vantorMessage(const std::string& text)
{
    showMessage(defaultCaption(), text, "OK");
}
void vantorMessage(const std::string& text, const std::string& caption)
{
    showMessage(caption, text, "OK");
}

int GN_MSGBOX(const std::string&, const std::string& text, const std::string& caption, const std::string& buttons)
{
    return showMessage(caption, removeAll(text, "{i}"), buttons);
}

namespace {

// Qt's file dialog names its fields after their labels but leaves the lists of its
// two drop-down lists without a name for screen readers.
void nameFileDialogLists(QFileDialog& dialog)
{
    const std::pair<const char*, const char*> names[] = {{"lookInCombo", "Look in"},
                                                         {"fileTypeCombo", "Files of type"}};
    for (const auto& [object, name] : names)
        if (auto* box = dialog.findChild<QComboBox*>(QLatin1String(object)); box && box->view())
            box->view()->setAccessibleName(QString::fromLatin1(name));
}

} // namespace

std::string GN_OPENFILE(const std::string& form, const std::string& title, const std::string& folder,
                        const std::string& filter, const std::string& props)
{
    GnFileDialogRequest r;
    r.save = false;
    r.form = form;
    r.title = title;
    r.folder = folder;
    r.filter = filter;
    r.props = props;
    for (const std::string& place : filePlaces())
        if (QFileInfo(pathName(place)).isDir())
            r.places.push_back(place);
    if (fileHook())
        return fileHook()(r);
    if (messagesToStderr() || !qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "[Open] %s\n", title.c_str());
        return {};
    }
    QFileDialog dialog(parentWindow(form), qs(title), pathName(folder), qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    nameFileDialogLists(dialog);
    QList<QUrl> sideBar = dialog.sidebarUrls();
    for (const std::string& place : r.places)
        sideBar << QUrl::fromLocalFile(pathName(place));
    dialog.setSidebarUrls(sideBar);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return pathBytes(dialog.selectedFiles().front());
}

std::string GN_SAVEFILE(const std::string& form, const std::string& title, const std::string& folder,
                        const std::string& name, const std::string& filter, const std::string& defaultExt,
                        const std::string& props)
{
    GnFileDialogRequest r;
    r.save = true;
    r.form = form;
    r.title = title;
    r.folder = folder;
    r.name = name;
    r.filter = filter;
    r.defaultExt = defaultExt;
    r.props = props;
    if (fileHook())
        return withExtension(fileHook()(r), defaultExt);
    if (messagesToStderr() || !qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "[Save] %s\n", title.c_str());
        return {};
    }
    QString start = pathName(folder);
    if (!name.empty())
        start = start.isEmpty() ? pathName(name) : start + "/" + pathName(name);
    QFileDialog dialog(parentWindow(form), qs(title), start, qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    nameFileDialogLists(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return withExtension(pathBytes(dialog.selectedFiles().front()), defaultExt);
}

void GN_HHELP(const std::string&, const std::string& file, const std::string&, const std::string&)
{
    std::string path = file;
    if (path.empty() || (path[0] != '/' && path.find(':') == std::string::npos))
        path = GN_APPPATH() + file;
    if (helpHook()) {
        helpHook()(path);
        return;
    }
    if (!QFileInfo::exists(pathName(path))) {
        showMessage("Help", "Cannot open the help file " + path, "OK");
        return;
    }
    if (messagesToStderr()) {
        std::fprintf(stderr, "[Help] %s\n", path.c_str());
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(pathName(path)));
}

void GN_DEBUGFORM(const std::string& name)
{
    if (auto f = findForm(name)) {
        if (f->window)
            raiseWindow(f->window);
        return;
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    auto f = makeFormWindow(name, "", name, 60, 20, "");
    f->isDebug = true;
    auto* edit = new QPlainTextEdit(f->client);
    edit->setReadOnly(true);
    edit->setGeometry(0, 0, f->client->width(), f->client->height());
    edit->setPlainText(qs(debugText()));
    debugEdit() = edit;
    f->window->show();
}

void GN_DPRINT(const std::string& text)
{
    debugText() += text;
    debugText() += '\n';
    if (debugEdit())
        debugEdit()->appendPlainText(qs(text));
}

namespace {
QPointer<QMessageBox>& noticeBox()
{
    static QPointer<QMessageBox> box;
    return box;
}
} // namespace

int GN_CHOOSE(const std::string& text, const std::string& caption, const std::vector<std::string>& buttons,
              int defaultButton)
{
    const int count = static_cast<int>(buttons.size());
    if (messageHook()) {
        // A hook answers 100 + k for button k; anything else is the default.
        const int answer = messageHook()(caption, text) - 100;
        return answer >= 0 && answer < count ? answer : defaultButton;
    }
    if (messagesToStderr() || !qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
        std::fflush(stderr);
        return defaultButton;
    }
    QMessageBox box(QMessageBox::Question, qs(caption), qs(text), QMessageBox::NoButton, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    std::vector<QPushButton*> made;
    for (const auto& b : buttons)
        made.push_back(box.addButton(qs(b), QMessageBox::ActionRole));
    if (defaultButton >= 0 && defaultButton < count) {
        box.setDefaultButton(made[static_cast<std::size_t>(defaultButton)]);
        box.setEscapeButton(made[static_cast<std::size_t>(defaultButton)]);
    }
    box.exec();
    for (int k = 0; k < count; ++k)
        if (box.clickedButton() == made[static_cast<std::size_t>(k)])
            return k;
    return defaultButton;
}

void GN_NOTICE(const std::string& text, const std::string& caption)
{
    if (messageHook()) {
        messageHook()(caption, text);
        return;
    }
    if (messagesToStderr() || !qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
        std::fflush(stderr);
        return;
    }
    if (noticeBox())
        noticeBox()->close();
    auto* box = new QMessageBox(QMessageBox::Information, qs(caption), qs(text), QMessageBox::Ok,
                                QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    noticeBox() = box;
    box->show();
}

void GN_CLOSENOTICE()
{
    if (noticeBox())
        noticeBox()->close();
}
