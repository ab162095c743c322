// Menu bar and pop-up menus.
#include "toolkit/event_codes.h"
#include "toolkit/gantry_internal.h"

#include <QAction>
#include <QCoreApplication>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>

#include <set>

namespace gantry {
namespace {

struct Item {
    int id = 0;
    QPointer<QAction> action;
    std::string caption;
};

struct Menu {
    bool bar = false;
    std::string owner;  // form key
    std::string madeIn; // form whose design routine made it ("" outside any)
    std::vector<Item> items;
    QMenu* popup = nullptr; // pop-up menus
    QPointer<QMenuBar> menuBar;
};

std::map<std::intptr_t, std::unique_ptr<Menu>>& menus()
{
    static std::map<std::intptr_t, std::unique_ptr<Menu>> m;
    return m;
}

Menu* menuOf(std::intptr_t h)
{
    auto it = menus().find(h);
    return it == menus().end() ? nullptr : it->second.get();
}

// The form a menu belongs to: its own owner, else that of the menu it hangs under.
std::string ownerOf(const Menu* m, int depth = 0)
{
    if (!m || depth > 16)
        return {};
    if (!m->owner.empty())
        return m->owner;
    for (auto& [h, other] : menus())
        for (auto& it : other->items)
            if (it.action && m->popup && it.action->menu() == m->popup)
                return ownerOf(other.get(), depth + 1);
    return {};
}

// Newest menus first: a form made again finds its own items before any other.
Item* findItem(int id, Menu** in = nullptr)
{
    for (auto m = menus().rbegin(); m != menus().rend(); ++m)
        for (auto& it : m->second->items)
            if (it.id == id && it.action) {
                if (in)
                    *in = m->second.get();
                return &it;
            }
    return nullptr;
}

QObject* holder()
{
    static QObject* h = new QObject(QCoreApplication::instance());
    return h;
}

void applyProps(QAction* a, const std::string& props)
{
    if (props.find('X') != std::string::npos) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    if (props.find('D') != std::string::npos)
        a->setEnabled(false);
}

void addItem(std::intptr_t h, int id, const std::string& caption, const std::string& props)
{
    Menu* m = menuOf(h);
    if (!m || !QCoreApplication::instance())
        return;
    // A separator shows as a line only, never its "-".
    auto* a = new QAction(caption == "-" ? QString() : qs(caption), holder());
    if (caption == "-")
        a->setSeparator(true);
    applyProps(a, props);
    QObject::connect(a, &QAction::triggered, a, [h, id] {
        const std::string owner = ownerOf(menuOf(h));
        if (!owner.empty())
            raiseEvent(owner, id, gn::kClick, 0);
    });
    m->items.push_back({id, a, caption});
    if (m->popup)
        m->popup->addAction(a);
    if (m->menuBar)
        m->menuBar->addAction(a);
}

std::intptr_t newMenu(bool bar)
{
    static std::intptr_t next = 0x7000;
    auto m = std::make_unique<Menu>();
    m->bar = bar;
    if (!bar) {
        m->popup = new QMenu();
        m->popup->setFont(font(4));
        m->popup->setPalette(lightPalette());
    }
    if (!state().designStack.empty())
        m->madeIn = state().designStack.back()->key;
    const std::intptr_t h = next++;
    menus()[h] = std::move(m);
    return h;
}

} // namespace

void attachMainMenu(Form& f, std::intptr_t bar)
{
    Menu* m = menuOf(bar);
    if (!m || !f.window)
        return;
    f.menus[0] = bar;
    m->owner = f.key;
    auto* mb = new QMenuBar(f.window);
    // Menus in the dialog font, black and crisp on the light face like every other text.
    mb->setFont(font(4));
    mb->setPalette(lightPalette());
    for (auto& it : m->items)
        if (it.action)
            mb->addAction(it.action);
    m->menuBar = mb;
    f.menuBar = mb;
    if (f.window->layout())
        f.window->layout()->setMenuBar(mb);
}

// Menus belong to their form: its bar, the menus filed under it and every pop-up
// hanging under those go with it (items, actions and pop-up windows).
void dropFormMenus(const Form& f)
{
    std::set<std::intptr_t> drop;
    for (auto& [h, m] : menus())
        if (m->owner == f.key)
            drop.insert(h);
    for (auto& [index, h] : f.menus)
        if (menuOf(h))
            drop.insert(h);
    // Pop-ups hung under a dropped menu, to any depth.
    const auto hungUnder = [](const Menu& parent, const Menu& child) {
        for (auto& it : parent.items)
            if (it.action && child.popup && it.action->menu() == child.popup)
                return true;
        return false;
    };
    // Pop-ups the form's design made and hung nowhere (its context menus) go too.
    for (auto& [h, m] : menus()) {
        if (!m->popup || m->madeIn != f.key)
            continue;
        bool hung = false;
        for (auto& [other, o] : menus())
            hung = hung || hungUnder(*o, *m);
        if (!hung)
            drop.insert(h);
    }
    for (bool grew = true; grew;) {
        grew = false;
        for (auto& [h, m] : menus()) {
            if (drop.count(h) || !m->popup)
                continue;
            for (std::intptr_t d : std::set<std::intptr_t>(drop)) {
                if (hungUnder(*menuOf(d), *m)) {
                    drop.insert(h);
                    grew = true;
                    break;
                }
            }
        }
    }
    auto& st = state();
    for (std::intptr_t h : drop) {
        auto it = menus().find(h);
        if (it == menus().end())
            continue;
        std::unique_ptr<Menu> m = std::move(it->second);
        menus().erase(it);
        if (st.pendingMainMenu == h)
            st.pendingMainMenu = 0;
        // A pick may be running in one of these actions: delete them once it returns.
        for (auto& item : m->items)
            if (item.action)
                item.action->deleteLater();
        if (m->popup)
            m->popup->deleteLater();
    }
}

} // namespace gantry

using namespace gantry;

std::intptr_t GN_DEFMAINMENU(int id, const std::string& caption, const std::string& props)
{
    const std::intptr_t h = newMenu(true);
    addItem(h, id, caption, props);
    state().pendingMainMenu = h;
    return h;
}

std::intptr_t GN_DEFSUBMENU(int id, const std::string& caption, const std::string& props)
{
    const std::intptr_t h = newMenu(false);
    addItem(h, id, caption, props);
    return h;
}

void GN_ADDMENUITEM(std::intptr_t menu, int id, int, const std::string& caption, const std::string& props)
{
    addItem(menu, id, caption, props);
}

void GN_SETSUBMENU(std::intptr_t menu, int itemId, std::intptr_t submenu)
{
    Menu* m = menuOf(menu);
    Menu* sub = menuOf(submenu);
    if (!m || !sub || !sub->popup)
        return;
    for (auto& it : m->items)
        if (it.id == itemId && it.action)
            it.action->setMenu(sub->popup);
}

void GN_SAVEMENU(const std::string& form, int index, std::intptr_t menu)
{
    auto f = findForm(form);
    Menu* m = menuOf(menu);
    if (!f || !m)
        return;
    f->menus[index] = menu;
    if (m->owner.empty() && !m->popup)
        m->owner = f->key;
}

std::intptr_t GN_GETMENU(const std::string& form, int index)
{
    auto f = findForm(form);
    if (!f)
        return 0;
    auto it = f->menus.find(index);
    return it == f->menus.end() ? 0 : it->second;
}

void GN_SETMENUITEM(std::intptr_t menu, int id, const std::string& caption, const std::string& st)
{
    Item* item = nullptr;
    if (Menu* m = menuOf(menu))
        for (auto& it : m->items)
            if (it.id == id && it.action)
                item = &it;
    if (!item)
        item = findItem(id);
    if (!item)
        return;
    if (!caption.empty()) {
        item->caption = caption;
        item->action->setText(qs(caption));
    }
    const bool ticked = st.find('X') != std::string::npos;
    const bool disabled = st.find('D') != std::string::npos;
    item->action->setVisible(st.find('H') == std::string::npos);
    // Only an item that is ever ticked gets a check box; commands stay plain.
    if (ticked)
        item->action->setCheckable(true);
    item->action->setChecked(ticked);
    item->action->setEnabled(!disabled);
}

std::string menuItemCaption(int id)
{
    Item* it = findItem(id);
    return it ? it->caption : std::string();
}

int menuItemChecked(int id)
{
    Item* it = findItem(id);
    return it && it->action->isChecked() ? 1 : 0;
}

int menuItemEnabled(int id)
{
    Item* it = findItem(id);
    return it && it->action->isEnabled() ? 1 : 0;
}

void triggerMenuItem(int id)
{
    Item* it = findItem(id);
    if (it && it->action->isEnabled())
        it->action->trigger();
}
