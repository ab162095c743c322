#include "shell/form_table.h"

#include "shell/main_form.h"

namespace vantor {

namespace {

std::vector<FormEntry>& table()
{
    static std::vector<FormEntry> forms = {
        {"VANTOR", &MainFormDesign, &MainFormEvents},
        {"BAUDRATE", nullptr, nullptr},
        {"DRAGFORM", nullptr, nullptr},
        {"FINDVANTOR", nullptr, nullptr},
        {"KEYBOARDMSG", nullptr, nullptr},
        {"MSGFORM", nullptr, nullptr},
        {"PROGBAR", nullptr, nullptr},
        {"SONYCODES", nullptr, nullptr},
        {"COPYBANK", nullptr, nullptr},
    };
    return forms;
}

FormEntry* find(const std::string& name)
{
    for (FormEntry& entry : table()) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

} // namespace

const std::vector<FormEntry>& formTable()
{
    return table();
}

bool setFormRoutines(const std::string& name, FormDesignRoutine design, FormEventRoutine events)
{
    FormEntry* entry = find(name);
    if (!entry || entry->name == "VANTOR")
        return false;
    entry->design = design;
    entry->events = events;
    return true;
}

void DesignForm(const std::string& form)
{
    if (const FormEntry* entry = find(form); entry && entry->design)
        entry->design();
}

void RouteEvent(const std::string& form, int id, int code, std::intptr_t value, int& cancel)
{
    if (const FormEntry* entry = find(form); entry && entry->events)
        entry->events(id, code, value, cancel);
}

} // namespace vantor
