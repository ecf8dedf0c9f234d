#include "display_gtk.h"

#include <cstdlib>
#include <cstring>
#include <gtk/gtk.h>
#include <string_view>
#include <unistd.h>
#include <unordered_map>
#include <vector>

#include "file.h"

static GtkWidget *window;
static GtkWidget *main_vbox;

// Names and descriptions come from the game's file as raw bytes, but the toolkit only
// displays UTF-8: it gets a repaired copy, while the catalogue and the file keep the bytes.
template <typename Use> static void as_utf8(const char *text, Use use) {
    gchar *shown = g_utf8_make_valid(text, -1);
    use(shown);
    g_free(shown);
}

// Every child of a box goes after those already there, expanding and filling, without
// padding. A GtkBox's own "add" would not expand it.
static void pack(GtkWidget *box, GtkWidget *child) {
    gtk_box_pack_start(GTK_BOX(box), child, TRUE, TRUE, 0);
}

static GtkWidget *new_label(const char *text) {
    GtkWidget *label = nullptr;
    as_utf8(text, [&](const gchar *shown) { label = gtk_label_new(shown); });
    return label;
}

// ---- the window ----------------------------------------------------------------------

// Every pick is written when it is made, so closing loses nothing.
[[noreturn]] static void close_window() { exit(0); }
static void on_destroy(GtkWidget *, gpointer) { close_window(); }
static gboolean on_delete(GtkWidget *, GdkEvent *, gpointer) { close_window(); }

void InitGraphics(int *argc, char ***argv) {
    gtk_init(argc, argv);

    char title[1000] = "Quorvane Configurator";
    // A name that long keeps the default title rather than a cut one.
    if (strlen(CONFIG.program_name) + 3 <= 799)
        snprintf(title, sizeof title, "Program Configuration - %s - Version 0.4.0",
                 CONFIG.program_name);
    const char static_text[1000] = "Quorvane requires the latest drivers for your video card.\n"
                                   "If you run into problems please upgrade your video drivers.";

    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 600, 400);
    as_utf8(title, [](const gchar *shown) { gtk_window_set_title(GTK_WINDOW(window), shown); });
    g_signal_connect(window, "destroy", G_CALLBACK(on_destroy), nullptr);
    g_signal_connect(window, "delete-event", G_CALLBACK(on_delete), nullptr);
    gtk_container_set_border_width(GTK_CONTAINER(window), 0);

    main_vbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 1);
    gtk_container_set_border_width(GTK_CONTAINER(main_vbox), 1);
    gtk_container_add(GTK_CONTAINER(window), main_vbox);

    GtkWidget *notice = gtk_label_new(static_text);
    pack(main_vbox, notice);
    gtk_widget_show(notice);
    gtk_widget_show(main_vbox);
    gtk_widget_realize(window);
    gtk_widget_show(window);
}

// ---- the choice panel ----------------------------------------------------------------

// Each drop-down keeps its group's choice records in item order, to turn a picked index
// back into its record.
static const char CHOICES_KEY[] = "setup-choices";

static GPtrArray *choices_of(GtkWidget *combo) {
    return static_cast<GPtrArray *>(g_object_get_data(G_OBJECT(combo), CHOICES_KEY));
}

static void on_pick(GtkComboBox *combo, gpointer) {
    int index = gtk_combo_box_get_active(combo);
    if (index < 0) return;
    auto *choices = choices_of(GTK_WIDGET(combo));
    ClickButton(GTK_WIDGET(combo), static_cast<catagory *>(g_ptr_array_index(choices, index)));
}

// A GTK 3 drop-down steps its choice on a turn of the mouse wheel, which would rewrite
// the user's file while they only meant to scroll: the drop-down's own handling is
// stopped, and the event goes on to its parents.
static gboolean on_scroll(GtkWidget *combo, GdkEvent *, gpointer) {
    g_signal_stop_emission_by_name(combo, "scroll-event");
    return FALSE;
}

static void on_readme(GtkButton *, gpointer) { myexit(0); }
static void on_exit_button(GtkButton *, gpointer) { myexitnoreadme(0); }

static bool in_group(const catagory *choice, const char *group_name) {
    return choice->name && strcmp(choice->group, group_name) == 0;
}

// A group's drop-down, empty until the walk over the choices fills it.
struct choice_menu {
    group *G;
    GtkWidget *combo;
};

static GtkWidget *new_choice_menu() {
    GtkWidget *combo = gtk_combo_box_text_new();
    g_object_set_data_full(G_OBJECT(combo), CHOICES_KEY, g_ptr_array_new(),
                           reinterpret_cast<GDestroyNotify>(g_ptr_array_unref));
    g_signal_connect(combo, "scroll-event", G_CALLBACK(on_scroll), nullptr);
    return combo;
}

static void add_choice(GtkWidget *combo, catagory *C) {
    as_utf8(GetInfo(C->name), [&](const gchar *label) {
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), label);
    });
    C->button = combo;
    g_ptr_array_add(choices_of(combo), C);
}

// One walk over the choice list fills every drop-down, each with its group's choices in
// list order; a walk per group would make a large header cost the square of its size.
static void fill_menus(const std::vector<choice_menu> &menus) {
    std::unordered_map<std::string_view, std::vector<GtkWidget *>> combos_of_group;
    for (const choice_menu &menu : menus) combos_of_group[menu.G->name].push_back(menu.combo);
    for (catagory *C = &CATS; C; C = C->next) {
        if (!C->name) continue;
        auto found = combos_of_group.find(C->group);
        if (found == combos_of_group.end()) continue;
        for (GtkWidget *combo : found->second) add_choice(combo, C);
    }
}

// Shows the group's current choice. A setting that names none of its choices shows no
// item, so that every item can be picked. Set before "changed" is connected: in GTK 3
// this emits it too, and only a user's pick may rewrite the file.
static void show_current_choice(const choice_menu &menu) {
    GPtrArray *choices = choices_of(menu.combo);
    int shown = -1;
    for (guint i = 0; menu.G->setting && shown < 0 && i < choices->len; ++i) {
        auto *C = static_cast<catagory *>(g_ptr_array_index(choices, i));
        if (strcmp(C->name, menu.G->setting) == 0) shown = i;
    }
    gtk_combo_box_set_active(GTK_COMBO_BOX(menu.combo), shown);
    g_signal_connect(menu.combo, "changed", G_CALLBACK(on_pick), nullptr);
}

// The group's name above its drop-down; the label names the drop-down for screen readers.
static GtkWidget *new_group_cell(group *G, std::vector<choice_menu> &menus) {
    GtkWidget *cell = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    GtkWidget *label = new_label(G->name);
    pack(cell, label);
    gtk_widget_show(label);
    GtkWidget *combo = new_choice_menu();
    menus.push_back({G, combo});
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), combo);
    gtk_widget_show(combo);
    pack(cell, combo);
    gtk_widget_show(cell);
    return cell;
}

static void add_to_main_vbox(GtkWidget *child) {
    pack(main_vbox, child);
    gtk_widget_show(child);
}

static void add_button(GtkWidget *box, const char *text, GCallback clicked) {
    GtkWidget *button = gtk_button_new_with_label(text);
    g_signal_connect(button, "clicked", clicked, nullptr);
    gtk_widget_show(button);
    pack(box, button);
}

void FillMainWindow() {
    // Rows hold CONFIG.columns cells; the counter never meets a value of zero or below,
    // which leaves every group in one row.
    int column = 1;
    GtkWidget *hbox = nullptr;
    std::vector<choice_menu> menus;
    for (group *G = &GROUPS; G; G = G->next) {
        if (!G->name) continue;
        if (column == 1) hbox = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 2);
        pack(hbox, new_group_cell(G, menus));
        if (column == CONFIG.columns) {
            add_to_main_vbox(hbox);
            column = 0;
        }
        ++column;
    }
    if (column != 1) add_to_main_vbox(hbox);
    fill_menus(menus);
    for (const choice_menu &menu : menus) show_current_choice(menu);

    GtkWidget *buttons = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
    add_button(buttons, "Save Settings And View Readme", G_CALLBACK(on_readme));
    add_button(buttons, "Save Settings and Exit", G_CALLBACK(on_exit_button));
    add_to_main_vbox(buttons);
}

void ShowMain() {
    FillMainWindow();
    gtk_main();
}

// ---- picks and exits -----------------------------------------------------------------

// The group's own choice named by its setting. Looking the name up across all groups
// could find another group's choice of the same name and rewrite that group's lines.
static catagory *current_choice(const char *group_name, const char *setting) {
    if (!setting) return nullptr;
    for (catagory *C = &CATS; C; C = C->next)
        if (in_group(C, group_name) && strcmp(C->name, setting) == 0) return C;
    return nullptr;
}

void ClickButton(GtkWidget *w, catagory *CUR) {
    (void)w;
    group *NEW = GetGroupStruct(CUR->group);
    if (!NEW) return;
    catagory *OLD = current_choice(CUR->group, NEW->setting);
    if (OLD == CUR) return;
    StoreSetting(NEW, CUR->name);
    // Without a current choice there is nothing to comment out.
    if (OLD) DisableSetting(OLD->name, OLD->group);
    EnableSetting(CUR->name, CUR->group);
}

void myexit(int exitval) {
    (void)exitval;
    execlp("less", "less", "documentation/readme.txt", static_cast<char *>(nullptr));
    exit(0);
}

void myexitnoreadme(int exitval) {
    (void)exitval;
    exit(0);
}
