#include "replace.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

unique_fd::~unique_fd() {
    if (fd >= 0) close(fd);
}

bool close_checked(unique_fd &file) {
    int fd = file.fd;
    file.fd = -1;
    return close(fd) == 0;
}

ssize_t read_some(int fd, char *buffer, size_t size) {
    ssize_t n;
    do n = read(fd, buffer, size);
    while (n < 0 && errno == EINTR);
    return n;
}

bool write_all(int fd, const char *data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= n;
    }
    return true;
}

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

replace_result replace_contents(const std::string &target, int source, off_t size) {
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
