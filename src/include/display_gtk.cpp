#include "display_gtk.h"

#include <cstdlib>
#include <cstring>
#include <gtk/gtk.h>
#include <unistd.h>

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

static void on_pick(GtkComboBox *combo, gpointer) {
    int index = gtk_combo_box_get_active(combo);
    auto *choices = static_cast<GPtrArray *>(g_object_get_data(G_OBJECT(combo), CHOICES_KEY));
    if (index < 0) return;
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

// The drop-down of one group: its choices in list order, showing the current one. A
// setting that names none of them shows no item, so that every item can be picked.
static GtkWidget *new_choice_menu(group *G) {
    GtkWidget *combo = gtk_combo_box_text_new();
    GPtrArray *choices = g_ptr_array_new();
    int shown = -1;
    for (catagory *C = &CATS; C; C = C->next) {
        if (!in_group(C, G->name)) continue;
        if (shown < 0 && G->setting && strcmp(C->name, G->setting) == 0) shown = choices->len;
        as_utf8(GetInfo(C->name), [&](const gchar *label) {
            gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), label);
        });
        C->button = combo;
        g_ptr_array_add(choices, C);
    }
    g_object_set_data_full(G_OBJECT(combo), CHOICES_KEY, choices,
                           reinterpret_cast<GDestroyNotify>(g_ptr_array_unref));
    // Set before "changed" is connected: in GTK 3 this emits it too, and only a user's
    // pick may rewrite the file.
    gtk_combo_box_set_active(GTK_COMBO_BOX(combo), shown);
    g_signal_connect(combo, "changed", G_CALLBACK(on_pick), nullptr);
    g_signal_connect(combo, "scroll-event", G_CALLBACK(on_scroll), nullptr);
    return combo;
}

// The group's name above its drop-down; the label names the drop-down for screen readers.
static GtkWidget *new_group_cell(group *G) {
    GtkWidget *cell = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    GtkWidget *label = new_label(G->name);
    pack(cell, label);
    gtk_widget_show(label);
    GtkWidget *combo = new_choice_menu(G);
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

void ShowMain() {
    // Rows hold CONFIG.columns cells; the counter never meets a value of zero or below,
    // which leaves every group in one row.
    int column = 1;
    GtkWidget *hbox = nullptr;
    for (group *G = &GROUPS; G; G = G->next) {
        if (!G->name) continue;
        if (column == 1) hbox = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 2);
        pack(hbox, new_group_cell(G));
        if (column == CONFIG.columns) {
            add_to_main_vbox(hbox);
            column = 0;
        }
        ++column;
    }
    if (column != 1) add_to_main_vbox(hbox);

    GtkWidget *buttons = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
    add_button(buttons, "Save Settings And View Readme", G_CALLBACK(on_readme));
    add_button(buttons, "Save Settings and Exit", G_CALLBACK(on_exit_button));
    add_to_main_vbox(buttons);

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
