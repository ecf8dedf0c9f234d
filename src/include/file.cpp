#include "file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "central.h"
#include "general.h"

bool origconfig = false;

// Both readers take a line in reads of at most 1023 characters; a longer line arrives
// in pieces, and each piece is judged as a line of its own.
static const int LINE_READ_LIMIT = 1024;

[[noreturn]] static void fatal(const char *format, const char *argument) {
    fprintf(stderr, format, argument);
    exit(-1);
}

static FILE *open_here_or_installed(const char *name, bool *fell_back) {
    FILE *fp = fopen(name, "r");
    if (fp) return fp;
    if (fell_back) *fell_back = true;
    return fopen(mangle_config(name).c_str(), "r");
}

// ---- setup.config -------------------------------------------------------------------

struct found_flags {
    bool got_name = false;
    bool got_config = false;
    bool got_temp = false;
    bool got_column = false;
};

struct string_key {
    const char *key;
    char *global_settings::*field;
    bool found_flags::*found;
    const char *duplicate;
    const char *missing;
};

static const string_key STRING_KEYS[] = {
    {"program_name", &global_settings::program_name, &found_flags::got_name,
     "Duplicate program_name in config file\n", "Missing parameter for program_name\n"},
    {"config_file", &global_settings::config_file, &found_flags::got_config,
     "Duplicate config_file in config file\n", "Missing parameter for config_file\n"},
    {"temp_file", &global_settings::temp_file, &found_flags::got_temp,
     "Duplicate temp_file in config file\n", "Missing parameter for temp_file in config file\n"},
};

static void store_string(const string_key &key, const char *parm, found_flags &found) {
    char *&field = CONFIG.*key.field;
    if (field) {
        fputs(key.duplicate, stderr);
    } else if (*parm == '\0') {
        fputs(key.missing, stderr);
    } else {
        field = NewString(parm);
        found.*key.found = true;
    }
}

static void store_columns(const char *parm, found_flags &found) {
    if (CONFIG.columns > 0) {
        fputs("Duplicate columns in config file\n", stderr);
    } else if (*parm == '\0') {
        fputs("Missing parameter for columns in config file\n", stderr);
    } else {
        CONFIG.columns = atoi(parm);
        if (CONFIG.columns != 0)
            found.got_column = true;
        else
            fputs("Invalid parameter for column in config file\n", stderr);
    }
}

static void handle_setting(const char *key, const char *parm, found_flags &found) {
    for (const string_key &candidate : STRING_KEYS) {
        if (strcmp(key, candidate.key) == 0) return store_string(candidate, parm, found);
    }
    if (strcmp(key, "columns") == 0) return store_columns(parm, found);
    fprintf(stderr, "Unknown line in config file: %s %s\n", key, parm);
}

static void apply_defaults(const found_flags &found) {
    if (!found.got_name) {
        fputs("Unable to find name of program. Using default (Application)\n", stderr);
        CONFIG.program_name = NewString("Application");
    }
    if (!found.got_config) {
        fputs("Fatal Error. Name of config file not found. What can I do without a config file "
              "to modify?\n",
              stderr);
        fputs("To specify a config file, edit setup.config and add the following line (without "
              "the <>):\n",
              stderr);
        fputs("config_file <Name of config file>\n", stderr);
        exit(-1);
    }
    if (!found.got_temp) {
        fputs("Unable to find name of temporary file. Using default (config.temp)\n", stderr);
        CONFIG.temp_file = NewString("config.temp");
    }
    if (!found.got_column) {
        fputs("Unable to find number of columns. Using default (3)\n", stderr);
        CONFIG.columns = 3;
    }
}

void LoadMainConfig() {
    FilePtr fp(open_here_or_installed("setup.config", nullptr));
    if (!fp) fatal("Unable to read from %s\n", "setup.config");

    found_flags found;
    char line[LINE_READ_LIMIT + 1];
    while (fgets(line, LINE_READ_LIMIT, fp.get())) {
        if (line[0] == '#') continue;
        chomp(line);
        if (line[0] == '\0') continue;
        char *parm = next_parm(line);
        handle_setting(line, parm, found);
    }
    fp.reset();
    apply_defaults(found);
}

void ClearMainConfig() {
    free(CONFIG.program_name);
    free(CONFIG.config_file);
    free(CONFIG.temp_file);
    CONFIG = global_settings();
}

// ---- header of the game's configuration file -----------------------------------------

static void *new_record(size_t size) {
    void *record = calloc(1, size);
    if (!record) {
        fputs("Out of memory\n", stderr);
        exit(-1);
    }
    return record;
}

template <typename Record> static Record *tail_of(Record *head) {
    while (head->next) head = head->next;
    return head;
}

// Calls `take` with each word of `words`, cutting the text as it goes.
template <typename Take> static void for_each_word(char *words, Take take) {
    for (char *rest; (rest = next_parm(words)); words = rest) take(words);
}

static void read_groups(char *words, group *&G_CURRENT) {
    for_each_word(words, [&](char *word) {
        G_CURRENT->name = NewString(word);
        G_CURRENT->next = static_cast<group *>(new_record(sizeof(group)));
        G_CURRENT = G_CURRENT->next;
    });
}

static void read_choices(char *words, catagory *&C_CURRENT) {
    char *choices = next_parm(words);
    if (!choices) return;
    // One copy of the group word, shared by all of the line's choices.
    char *shared_group = nullptr;
    for_each_word(choices, [&](char *word) {
        if (!shared_group) shared_group = NewString(words);
        C_CURRENT->name = NewString(word);
        C_CURRENT->next = static_cast<catagory *>(new_record(sizeof(catagory)));
        C_CURRENT->group = shared_group;
        C_CURRENT = C_CURRENT->next;
    });
}

// "#set" and "#desc": a word, then the rest of the line as the value.
template <typename Store> static void read_word_and_value(char *words, Store store) {
    char *value = next_parm(words);
    if (value) store(words, value);
}

// The text of a directive line after its '#', or null when the line holds no directive.
static char *directive_of(char *line) {
    char *text = line;
    if (line[0] == '<') {
        if (strlen(line) < 5) return nullptr;
        text = line + 5;
    }
    if (text[0] != '#' || text[1] == '#') return nullptr;
    return text + 1;
}

void LoadConfig() {
    FilePtr fp(open_here_or_installed(CONFIG.config_file, &origconfig));
    if (!fp) fatal("Unable to read from %s\n", CONFIG.config_file);

    group *G_CURRENT = tail_of(&GROUPS);
    catagory *C_CURRENT = tail_of(&CATS);
    char line[LINE_READ_LIMIT + 1];
    while (fgets(line, LINE_READ_LIMIT, fp.get())) {
        char *keyword = directive_of(line);
        if (!keyword) continue;
        chomp(keyword);
        char *rest = next_parm(keyword);
        if (!rest) continue;
        if (strcmp(keyword, "groups") == 0) {
            read_groups(rest, G_CURRENT);
        } else if (strcmp(keyword, "cat") == 0) {
            read_choices(rest, C_CURRENT);
        } else if (strcmp(keyword, "set") == 0) {
            read_word_and_value(rest, SetGroup);
        } else if (strcmp(keyword, "desc") == 0) {
            read_word_and_value(rest, SetInfo);
        } else if (strcmp(keyword, "endheader") == 0) {
            return;
        }
    }
}

// ---- replacing the game's file -------------------------------------------------------

enum class replace_result {
    replaced,     // the target holds the new text
    cannot_write, // the target keeps its old text
    cannot_read,  // the source ended early or failed; the target keeps its old text
};

static const size_t COPY_CHUNK = 128 * 1024;

// Copies exactly `size` bytes through a buffer; a source that ends before is a read
// failure.
static replace_result copy_through_buffer(int source, int destination, off_t size) {
    std::vector<char> buffer(COPY_CHUNK);
    while (size > 0) {
        size_t want = size < off_t(COPY_CHUNK) ? size_t(size) : COPY_CHUNK;
        ssize_t n = read_some(source, buffer.data(), want);
        if (n <= 0) return replace_result::cannot_read;
        if (!write_all(destination, buffer.data(), n)) return replace_result::cannot_write;
        size -= n;
    }
    return replace_result::replaced;
}

static bool lacks_room(int error) { return error == ENOSPC || error == EDQUOT || error == EFBIG; }

// Copies exactly `size` bytes, inside the kernel where it can, and starts writing each
// stretch to disk at once so that the final flush has little left to wait for. An early
// end and errors that do not plainly mean a full disk are left to the buffered copy to
// sort out: some filesystems answer the in-kernel copy with nothing, and only the
// buffered copy can tell a failed read from a failed write.
static replace_result copy_exactly(int source, int destination, off_t size) {
    const size_t STRETCH = 8 << 20;
    off_t done = 0;
    while (done < size) {
        size_t want = size - done < off_t(STRETCH) ? size_t(size - done) : STRETCH;
        ssize_t n = copy_file_range(source, nullptr, destination, nullptr, want, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && lacks_room(errno)) return replace_result::cannot_write;
        if (n <= 0) break;
        sync_file_range(destination, done, n, SYNC_FILE_RANGE_WRITE);
        done += n;
    }
    return copy_through_buffer(source, destination, size - done);
}

// The file that `target` finally names: links followed, so that they stay links. A
// target that does not exist yet is created under its own name.
static std::string resolve(const std::string &target) {
    char resolved[PATH_MAX];
    return realpath(target.c_str(), resolved) ? resolved : target;
}

static std::string directory_of(const std::string &path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A hidden name beside `path` for the file that will take its place.
static std::string new_file_template(const std::string &path) {
    size_t base = path.rfind('/') + 1; // 0 when there is no slash
    return path.substr(0, base) + "." + path.substr(base) + ".new-XXXXXX";
}

// The mode a newly created file gets from the process's umask.
static mode_t default_mode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Makes the rename durable; the new text is already in place when this fails, so a
// failure here is no reason to report the replacement as failed.
static void flush_directory(const std::string &directory) {
    unique_fd dir(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir) fsync(dir.fd);
}

// Gives the new file the old one's owner and mode. Only root may give a file away, so a
// refused change of owner is no failure; the mode comes last because a change of owner
// clears the set-id bits.
static bool take_attributes(int fd, const struct stat *old) {
    if (!old) return fchmod(fd, default_mode()) == 0;
    if (fchown(fd, old->st_uid, old->st_gid) != 0 && errno != EPERM) return false;
    return fchmod(fd, old->st_mode & 07777) == 0;
}

// A filesystem that cannot flush to disk (EINVAL) has nothing more to do.
static bool flush_to_disk(int fd) { return fsync(fd) == 0 || errno == EINVAL; }

static replace_result write_new_file(int source, off_t size, const struct stat *old,
                                     unique_fd &fd) {
    if (!take_attributes(fd.fd, old)) return replace_result::cannot_write;
    replace_result copied = copy_exactly(source, fd.fd, size);
    if (copied != replace_result::replaced) return copied;
    if (!flush_to_disk(fd.fd) || !close_checked(fd)) return replace_result::cannot_write;
    return replace_result::replaced;
}

// The fallback for a directory that refuses new files: the target is rewritten where it
// stands. Not atomic, but the only way left to honour the pick.
static replace_result rewrite_in_place(const std::string &path, int source, off_t size) {
    unique_fd fd(open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd) return replace_result::cannot_write;
    replace_result copied = copy_exactly(source, fd.fd, size);
    if (copied != replace_result::replaced) return copied;
    if (ftruncate(fd.fd, size) != 0 || !flush_to_disk(fd.fd) || !close_checked(fd))
        return replace_result::cannot_write;
    return replace_result::replaced;
}

static bool refuses_new_files(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

// Gives `target` the next `size` bytes of `source` as its new text. A symbolic link is
// followed and stays; the file keeps its permission bits and, where allowed, its owner.
// A target that the user may not write is left alone.
static replace_result replace_contents(const std::string &target, int source, off_t size) {
    std::string path = resolve(target);
    struct stat old;
    bool exists = stat(path.c_str(), &old) == 0;
    if (exists && faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return replace_result::cannot_write;

    std::string name = new_file_template(path);
    unique_fd fd(mkostemp(name.data(), O_CLOEXEC));
    if (!fd) {
        if (exists && refuses_new_files(errno)) return rewrite_in_place(path, source, size);
        return replace_result::cannot_write;
    }
    replace_result written = write_new_file(source, size, exists ? &old : nullptr, fd);
    if (written == replace_result::replaced && rename(name.c_str(), path.c_str()) != 0)
        written = replace_result::cannot_write;
    if (written != replace_result::replaced) {
        unlink(name.c_str());
        return written;
    }
    flush_directory(directory_of(path));
    return replace_result::replaced;
}

// ---- the setting switcher -------------------------------------------------------------

static bool is_keyword_line(std::string_view W) {
    return W == "#groups" || W == "#cat" || W == "#desc";
}

// Whether a block-opening line with first word W and further words `rest` names `name`.
// Names end at the first word that begins with "<".
static bool names_choice(const char *W, char *rest, const char *name) {
    if (strcmp(W + 1, name) == 0) return true;
    for (char *word = rest, *after; word && *word && (after = next_parm(word)); word = after) {
        if (word[0] == '<') return false;
        if (strcmp(word, name) == 0) return true;
    }
    return false;
}

static void write_set_line(const switch_pass &pass, std::string &out) {
    out.append("#set ").append(pass.group);
    out.append(" ").append(pass.setting == 1 ? "none" : pass.name).append("\n");
}

static void write_end_line(int commenting, std::string &out) {
    out.append(commenting == 1 ? "#end -->\n" : "<!-- #end -->\n");
}

// Takes one line apart and appends its rewritten form to `out`. `cut` is the buffer that
// the marker helpers cut in; it is handed in so that a pass reuses one for every line.
static void switch_line(switch_pass &pass, std::string_view line, std::string &out,
                        std::string &cut) {
    std::string_view trimmed = without_trailing_blanks(line);
    // Words and markers are judged on the text before a NUL byte; the bytes from the NUL
    // on are kept as they stand.
    std::string_view text = trimmed.substr(0, trimmed.find('\0'));
    std::string_view tail = trimmed.substr(text.size());
    auto copy = [&] { out.append(trimmed).append("\n"); };

    // Only a first word that begins with "#" makes a line anything but plain.
    if (text.find('#') == std::string_view::npos) return copy();

    cut.assign(text);
    char *start_write = cut.data();
    char *inner = xml_pre_chomp_comment(start_write);
    if (*inner == '\0') {
        inner = start_write;
        start_write = cut.data() + cut.size();
    }
    char *end_write = xml_chomp_comment(inner);
    // The inner text as cut, read from the untouched line before its words are split.
    std::string_view mid = text.substr(inner - cut.data(), strlen(inner));
    char *W = inner;
    char *rest = next_parm(W);

    if (!rest || W[0] != '#' || W[1] == '#') return copy();
    std::string_view word = W;
    if (word == "#endheader") return copy();
    if (word == "#end") {
        int was = pass.commenting;
        pass.commenting = 0;
        if (was == 0) return copy();
        return write_end_line(was, out);
    }
    if (word == "#set") {
        if (!next_parm(rest) || strcmp(rest, pass.group) != 0) return copy();
        return write_set_line(pass, out);
    }
    if (is_keyword_line(word)) return copy();

    if (pass.commenting == 0 && names_choice(W, rest, pass.name)) pass.commenting = pass.setting;
    if (pass.commenting == 0) return copy();
    out.append(start_write).append("<!-- ").append(mid);
    if (pass.commenting == 2) out.append(" -->");
    out.append(end_write).append(tail).append("\n");
}

void SwitchLine(switch_pass &pass, std::string_view line, std::string &out) {
    std::string cut;
    switch_line(pass, line, out, cut);
}

// Reads and writes go in chunks of this size; a line longer than one chunk makes the
// input buffer grow to hold it whole.
static const size_t CHUNK = 64 * 1024;

static int open_to_read(const char *name) {
    int fd = open(name, O_RDONLY | O_CLOEXEC);
    return fd >= 0 ? fd : open(mangle_config(name).c_str(), O_RDONLY | O_CLOEXEC);
}

static bool same_file(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A temporary file that is a device or a pipe would swallow the text or never end when
// read back, so only a regular file, or a name that does not exist yet, is taken; and
// never the target itself, which writing would destroy before it is read.
static int open_regular_for_writing(const char *name, const struct stat &target) {
    struct stat st;
    if (stat(name, &st) == 0 && !S_ISREG(st.st_mode))
        fatal("Unable to write to %s\n", CONFIG.temp_file);
    // Not emptied here but cut to the new length at the end: writing over the pages of
    // the last pass costs less than freeing them and allocating new ones.
    unique_fd fd(open(name, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666));
    if (!fd) return -1;
    // Checked again on the open file, in case the name changed hands after the stat.
    if (fstat(fd.fd, &st) != 0 || !S_ISREG(st.st_mode) || same_file(st, target))
        fatal("Unable to write to %s\n", CONFIG.temp_file);
    int opened = fd.fd;
    fd.fd = -1;
    return opened;
}

// Opens the temporary file under its plain name or else its fallback path, and tells
// which one it took.
static int open_temp_for_writing(int target_fd, std::string &temp_name) {
    struct stat target;
    if (fstat(target_fd, &target) != 0) fatal("Unable to read from %s\n", CONFIG.config_file);
    temp_name = CONFIG.temp_file;
    int fd = open_regular_for_writing(temp_name.c_str(), target);
    if (fd >= 0) return fd;
    temp_name = mangle_config(CONFIG.temp_file);
    fd = open_regular_for_writing(temp_name.c_str(), target);
    if (fd < 0) fatal("Unable to write to %s\n", CONFIG.temp_file);
    return fd;
}

// Collects the rewritten text and hands it to the temporary file in large writes,
// counting what has been written so that the copy back moves exactly that.
struct temp_writer {
    int fd;
    std::string pending;
    off_t written = 0;
};

static void write_out(temp_writer &wp, const char *data, size_t size) {
    if (!write_all(wp.fd, data, size)) fatal("Unable to write to %s\n", CONFIG.temp_file);
    wp.written += size;
}

static void flush(temp_writer &wp) {
    write_out(wp, wp.pending.data(), wp.pending.size());
    wp.pending.clear();
}

static void flush_when_full(temp_writer &wp) {
    if (wp.pending.size() >= CHUNK) flush(wp);
}

// Text that goes out as it came in: long stretches are written straight from the read
// buffer rather than copied into `pending` first.
static void put_unchanged(temp_writer &wp, const char *data, size_t size) {
    if (size < CHUNK / 4) {
        wp.pending.append(data, size);
        return flush_when_full(wp);
    }
    flush(wp);
    write_out(wp, data, size);
}

// The target's text as it is read: the unread lines lie in [begin, end) of `buffer`.
struct line_reader {
    int fd;
    std::vector<char> buffer = std::vector<char>(CHUNK);
    size_t begin = 0;
    size_t end = 0;
    bool at_end = false;
};

// Moves the unfinished line to the front and reads more behind it; grows the buffer
// when that line fills it. False at the end of the file.
static bool read_more(line_reader &rp) {
    if (rp.at_end) return false;
    memmove(rp.buffer.data(), rp.buffer.data() + rp.begin, rp.end - rp.begin);
    rp.end -= rp.begin;
    rp.begin = 0;
    if (rp.end == rp.buffer.size()) rp.buffer.resize(rp.buffer.size() * 2);
    ssize_t n = read_some(rp.fd, rp.buffer.data() + rp.end, rp.buffer.size() - rp.end);
    if (n < 0) fatal("Unable to read from %s\n", CONFIG.config_file);
    rp.end += n;
    rp.at_end = n == 0;
    return !rp.at_end;
}

static bool is_event(const char *at, const char *line_start) {
    return *at == '#' || (*at == '\n' && at > line_start && (at[-1] == ' ' || at[-1] == '\r'));
}

// The first byte from the line start `p` on that can make a line come out other than it
// went in: a "#", or a line end after a blank or a carriage return. Everything before it
// is copied unchanged. On x86-64 sixteen bytes are tested at a time.
static const char *next_event(const char *p, const char *stop) {
    if (p == stop || is_event(p, p)) return p;
    const char *at = p + 1;
#ifdef __SSE2__
    const __m128i hash = _mm_set1_epi8('#'), nl = _mm_set1_epi8('\n');
    const __m128i space = _mm_set1_epi8(' '), cr = _mm_set1_epi8('\r');
    for (; stop - at >= 16; at += 16) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
        __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at - 1));
        __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(before, space), _mm_cmpeq_epi8(before, cr));
        __m128i trailing = _mm_and_si128(_mm_cmpeq_epi8(bytes, nl), blank);
        int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, hash), trailing));
        if (hits) return at + __builtin_ctz(hits);
    }
#endif
    while (at < stop && !is_event(at, p)) ++at;
    return at;
}

// Runs the complete lines in [begin, end) through the switcher. Only the lines that hold
// an event are taken apart; the stretches between them are copied in one piece.
static void switch_lines(switch_pass &pass, line_reader &rp, temp_writer &wp, std::string &cut) {
    const char *p = rp.buffer.data() + rp.begin;
    const char *stop = rp.buffer.data() + rp.end;
    const char *run = p;
    for (const char *event; (event = next_event(p, stop)) < stop;) {
        auto nl = static_cast<const char *>(memchr(event, '\n', stop - event));
        if (!nl) break;
        auto before = static_cast<const char *>(memrchr(p, '\n', event - p));
        const char *line = before ? before + 1 : p;
        put_unchanged(wp, run, line - run);
        switch_line(pass, std::string_view(line, nl - line), wp.pending, cut);
        flush_when_full(wp);
        p = run = nl + 1;
    }
    // What follows the last line end waits for the rest of its line.
    auto last = static_cast<const char *>(memrchr(p, '\n', stop - p));
    const char *unfinished = last ? last + 1 : p;
    put_unchanged(wp, run, unfinished - run);
    rp.begin = unfinished - rp.buffer.data();
}

// Rewrites the whole target into the temporary file; returns the number of bytes written.
static off_t switch_file(switch_pass &pass, int rp_fd, int wp_fd) {
    line_reader rp{rp_fd};
    temp_writer wp{wp_fd, {}, 0};
    wp.pending.reserve(CHUNK + CHUNK / 2);
    std::string cut;
    while (read_more(rp)) switch_lines(pass, rp, wp, cut);
    // A last line without a line end gets one.
    if (rp.begin < rp.end) {
        std::string_view last(rp.buffer.data() + rp.begin, rp.end - rp.begin);
        switch_line(pass, last, wp.pending, cut);
    }
    flush(wp);
    if (ftruncate(wp.fd, wp.written) != 0) fatal("Unable to write to %s\n", CONFIG.temp_file);
    return wp.written;
}

// The first half of a pass: the target, rewritten, into the temporary file. Returns the
// number of bytes written and the name they were written under.
static off_t write_temp(switch_pass &pass, std::string &temp_name) {
    unique_fd rp(open_to_read(CONFIG.config_file));
    if (!rp) fatal("Unable to read from %s\n", CONFIG.config_file);
    unique_fd wp(open_temp_for_writing(rp.fd, temp_name));
    off_t written = switch_file(pass, rp.fd, wp.fd);
    if (!close_checked(wp)) fatal("Unable to write to %s\n", CONFIG.temp_file);
    return written;
}

void Modconfig(int setting, char *name, char *group) {
    switch_pass pass{setting, name, group, 0};
    std::string temp_name;
    off_t written = write_temp(pass, temp_name);

    // Read back from the file just written: when the plain name could not be written,
    // a file of that name may still be readable, with some other text.
    unique_fd tp(open(temp_name.c_str(), O_RDONLY | O_CLOEXEC));
    if (!tp) fatal("Unable to read from %s\n", CONFIG.temp_file);
    std::string target = origconfig ? mangle_config(CONFIG.config_file) : CONFIG.config_file;
    switch (replace_contents(target, tp.fd, written)) {
    case replace_result::replaced:
        return;
    case replace_result::cannot_write:
        fprintf(stderr, "Unable to write  to %s\n", CONFIG.config_file);
        return;
    case replace_result::cannot_read:
        fatal("Unable to read from %s\n", CONFIG.temp_file);
    }
}

void EnableSetting(char *name, char *group) { Modconfig(2, name, group); }
void DisableSetting(char *name, char *group) { Modconfig(1, name, group); }
