// The table of the menu's choices, in the order the menu lists them.
#include "menu/menu_choice.hpp"

namespace {

constexpr MenuChoice menu_choices[] = {
    {.typed = 2, .action = MenuAction::range, .range = &list_to_screen_and_file},
    {.typed = 3, .action = MenuAction::range, .range = &list_to_screen},
    {.typed = 4, .action = MenuAction::range, .range = &list_to_file},
    {.typed = 5, .action = MenuAction::range, .range = &count_only},
    {.typed = 6, .action = MenuAction::single_number},
    {.typed = 1, .action = MenuAction::quit},
    {.typed = 0, .action = MenuAction::explain},
};

}  // namespace

const MenuChoice* menu_choice(int typed) {
    for (const MenuChoice& choice : menu_choices)
        if (choice.typed == typed) return &choice;
    return nullptr;
}
