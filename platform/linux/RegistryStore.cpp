// The registry store on SQLite: one table of keys (by root, view and folded path) and one of
// typed values. Writes take the database's write lock up front (BEGIN IMMEDIATE) and wait a
// bounded time for another writer before failing cleanly with ERROR_BUSY.
#include "platform/Registry.h"

#include "platform/TextEncoding.h"
#include "platform/linux/Ownership.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace platform {

namespace {

constexpr int kBusyWaitMs = 2000;

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS keys(
    id INTEGER PRIMARY KEY,
    root INTEGER NOT NULL,
    view INTEGER NOT NULL,
    path TEXT NOT NULL,
    path_fold TEXT NOT NULL,
    UNIQUE(root, view, path_fold));
CREATE TABLE IF NOT EXISTS vals(
    key_id INTEGER NOT NULL,
    name TEXT NOT NULL,
    name_fold TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    PRIMARY KEY(key_id, name_fold)) WITHOUT ROWID;
INSERT OR IGNORE INTO keys(root, view, path, path_fold) VALUES
    (2147483648, 0, '', ''), (2147483648, 1, '', ''),
    (2147483649, 0, '', ''), (2147483649, 1, '', ''),
    (2147483650, 0, '', ''), (2147483650, 1, '', '');
)sql";

std::string FoldAscii(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return text;
}

// "A\\\\B\\" and "\\A\\B" name the same key as "A\\B": empty components are dropped.
std::string NormalizeKeyPath(std::u16string_view subKey)
{
    const std::string utf8 = Utf16ToUtf8(subKey);
    std::string path;
    std::size_t start = 0;
    while (start <= utf8.size()) {
        std::size_t end = utf8.find('\\', start);
        if (end == std::string::npos)
            end = utf8.size();
        if (end > start) {
            if (!path.empty())
                path.push_back('\\');
            path.append(utf8, start, end - start);
        }
        start = end + 1;
    }
    return path;
}

DWORD ErrorFromSqlite(int code)
{
    switch (code & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return ERROR_SUCCESS;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ERROR_BUSY;
    case SQLITE_CANTOPEN:
        return ERROR_FILE_NOT_FOUND;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_ACCESS_DENIED;
    case SQLITE_NOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_FULL:
        return ERROR_DISK_FULL;
    default:
        return ERROR_INVALID_DATA;
    }
}

// One prepared statement, finalized when it goes out of scope.
class Statement
{
public:
    Statement(sqlite3* db, const char* sql) { m_rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr); }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_rc == SQLITE_OK; }
    int PrepareResult() const { return m_rc; }
    Statement& Bind(int i, std::int64_t v)
    {
        sqlite3_bind_int64(m_stmt, i, v);
        return *this;
    }
    Statement& Bind(int i, const std::string& v)
    {
        sqlite3_bind_text(m_stmt, i, v.data(), int(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& BindBlob(int i, const std::uint8_t* data, DWORD size)
    {
        // A zero-length value must still be stored as a blob, not as NULL.
        static const std::uint8_t kEmpty = 0;
        sqlite3_bind_blob(m_stmt, i, size ? data : &kEmpty, int(size), SQLITE_TRANSIENT);
        return *this;
    }
    int Step() { return sqlite3_step(m_stmt); }
    std::int64_t Int(int col) const { return sqlite3_column_int64(m_stmt, col); }
    std::string Text(int col) const
    {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
        return p ? std::string(p, std::size_t(sqlite3_column_bytes(m_stmt, col))) : std::string();
    }
    std::vector<std::uint8_t> Blob(int col) const
    {
        const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(m_stmt, col));
        const int n = sqlite3_column_bytes(m_stmt, col);
        return p ? std::vector<std::uint8_t>(p, p + n) : std::vector<std::uint8_t>();
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_ERROR;
};

} // namespace

class RegistryStore::Connection
{
public:
    ~Connection()
    {
        if (db)
            sqlite3_close_v2(db);
    }

    DWORD Exec(const char* sql) { return ErrorFromSqlite(sqlite3_exec(db, sql, nullptr, nullptr, nullptr)); }

    // Runs body inside BEGIN IMMEDIATE ... COMMIT; any error rolls everything back.
    template <typename Body> DWORD WriteTransaction(Body&& body)
    {
        if (DWORD rc = Exec("BEGIN IMMEDIATE"); rc != ERROR_SUCCESS)
            return rc;
        DWORD rc = body();
        if (rc == ERROR_SUCCESS)
            rc = Exec("COMMIT");
        if (rc != ERROR_SUCCESS)
            Exec("ROLLBACK");
        return rc;
    }

    // The id of a key, 0 when it does not exist; the error is set when the lookup itself failed.
    std::int64_t FindKey(HKEY root, RegistryView view, const std::string& pathFold, DWORD& error,
                         std::string* storedPath = nullptr)
    {
        Statement st(db, "SELECT id, path FROM keys WHERE root = ?1 AND view = ?2 AND path_fold = ?3");
        if (!st.Ok()) {
            error = ErrorFromSqlite(st.PrepareResult());
            return 0;
        }
        st.Bind(1, std::int64_t(root)).Bind(2, std::int64_t(view)).Bind(3, pathFold);
        const int rc = st.Step();
        error = rc == SQLITE_ROW || rc == SQLITE_DONE ? ERROR_SUCCESS : ErrorFromSqlite(rc);
        if (rc == SQLITE_ROW && storedPath != nullptr)
            *storedPath = st.Text(1);
        return rc == SQLITE_ROW ? st.Int(0) : 0;
    }

    sqlite3* db = nullptr;
    bool hasSchema = false;
};

RegistryView ViewFromAccess(DWORD access)
{
    return (access & KEY_WOW64_64KEY) ? RegistryView::Wow64_64 : RegistryView::Default;
}

namespace {

// Makes the folders up to the store (0755) and the store file (0644) when they are missing, with
// those modes whatever the umask, so that the store is never created writable for others. What
// exists already is left as it is.
void PrepareStoreFile(const std::string& path)
{
    // Each folder from the top down: every prefix of the path that ends before a separator.
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0755) == 0)
            chmod(folder.c_str(), 0755);
    }
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0) {
        fchmod(fd, 0644);
        close(fd);
    }
}

} // namespace

bool RegistryStoreIsTrusted(const std::string& path, std::u16string& why)
{
    why.clear();
    if (geteuid() != 0)
        return true;
    std::string where;
    if (!linux_impl::OthersCouldChange(path, 0, where))
        return true;
    why = Utf8ToUtf16(where);
    return false;
}

std::string RegistryStore::DefaultLocation()
{
    if (const char* v = std::getenv("TVU_REGISTRY"); v != nullptr && *v != 0)
        return v;
    // The machine-wide store belongs to the administrator; everyone else gets a store of their
    // own in the XDG state folder, as an unprivileged installation would write it.
    if (geteuid() == 0)
        return "/var/lib/tarvion/registry.db";
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/')
        return std::string(state) + "/tarvion/registry.db";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != 0)
        return std::string(home) + "/.local/state/tarvion/registry.db";
    return "/var/lib/tarvion/registry.db";
}

RegistryStore::RegistryStore(std::string path) : m_path(std::move(path)) {}

RegistryStore::~RegistryStore() = default;

DWORD RegistryStore::Connect(bool create)
{
    if (m_connection && (m_connection->hasSchema || !create))
        return ERROR_SUCCESS;
    if (m_path.empty())
        return ERROR_FILE_NOT_FOUND;
    if (!m_connection) {
        if (create)
            PrepareStoreFile(m_path);
        auto connection = std::make_unique<Connection>();
        const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_FULLMUTEX;
        const int rc = sqlite3_open_v2(m_path.c_str(), &connection->db, flags, nullptr);
        if (rc != SQLITE_OK)
            return ErrorFromSqlite(rc);
        sqlite3_busy_timeout(connection->db, kBusyWaitMs);
        m_connection = std::move(connection);
    }
    if (create) {
        // Write-ahead logging lets readers go on while a writer works.
        m_connection->Exec("PRAGMA journal_mode=WAL");
        const DWORD rc = m_connection->WriteTransaction([&] { return m_connection->Exec(kSchema); });
        if (rc != ERROR_SUCCESS)
            return rc;
        m_connection->hasSchema = true;
    }
    return ERROR_SUCCESS;
}

DWORD RegistryStore::OpenKey(HKEY root, std::u16string_view subKey, DWORD access, RegistryKey& key)
{
    key = RegistryKey();
    if (!IsKnownRegistryRoot(root))
        return ERROR_INVALID_PARAMETER;
    std::lock_guard guard(m_lock);
    if (DWORD rc = Connect(false); rc != ERROR_SUCCESS)
        return rc;
    const std::string path = NormalizeKeyPath(subKey);
    DWORD error = ERROR_SUCCESS;
    std::string storedPath;
    const std::int64_t id = m_connection->FindKey(root, ViewFromAccess(access), FoldAscii(path), error, &storedPath);
    if (error != ERROR_SUCCESS)
        return error;
    if (id == 0)
        return ERROR_FILE_NOT_FOUND;
    key.m_id = id;
    key.m_root = root;
    key.m_view = ViewFromAccess(access);
    key.m_access = access;
    key.m_path = Utf8ToUtf16(storedPath);
    return ERROR_SUCCESS;
}

DWORD RegistryStore::CreateKey(HKEY root, std::u16string_view subKey, DWORD access, RegistryKey& key)
{
    key = RegistryKey();
    if (!IsKnownRegistryRoot(root))
        return ERROR_INVALID_PARAMETER;
    std::lock_guard guard(m_lock);
    if (DWORD rc = Connect(true); rc != ERROR_SUCCESS)
        return rc;
    const std::string path = NormalizeKeyPath(subKey);
    const RegistryView view = ViewFromAccess(access);
    std::int64_t id = 0;
    std::string storedPath;
    const DWORD rc = m_connection->WriteTransaction([&]() -> DWORD {
        // Every missing ancestor is created too, keeping the case the caller gave.
        std::size_t pos = 0;
        while (true) {
            pos = path.find('\\', pos);
            const std::string prefix = pos == std::string::npos ? path : path.substr(0, pos);
            Statement ins(m_connection->db,
                          "INSERT OR IGNORE INTO keys(root, view, path, path_fold) VALUES (?1, ?2, ?3, ?4)");
            if (!ins.Ok())
                return ErrorFromSqlite(ins.PrepareResult());
            ins.Bind(1, std::int64_t(root)).Bind(2, std::int64_t(view)).Bind(3, prefix).Bind(4, FoldAscii(prefix));
            if (int r = ins.Step(); r != SQLITE_DONE)
                return ErrorFromSqlite(r);
            if (pos == std::string::npos)
                break;
            ++pos;
        }
        DWORD error = ERROR_SUCCESS;
        id = m_connection->FindKey(root, view, FoldAscii(path), error, &storedPath);
        return error != ERROR_SUCCESS ? error : (id ? ERROR_SUCCESS : ERROR_INVALID_DATA);
    });
    if (rc != ERROR_SUCCESS)
        return rc;
    key.m_id = id;
    key.m_root = root;
    key.m_view = view;
    key.m_access = access;
    key.m_path = Utf8ToUtf16(storedPath);
    return ERROR_SUCCESS;
}

DWORD RegistryStore::QueryValue(const RegistryKey& key, std::u16string_view name, DWORD* type, std::uint8_t* data,
                                DWORD* size)
{
    if (!key.IsOpen())
        return ERROR_INVALID_PARAMETER;
    if (!(key.m_access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    if (data != nullptr && size == nullptr)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard guard(m_lock);
    if (DWORD rc = Connect(false); rc != ERROR_SUCCESS)
        return rc;
    Statement st(m_connection->db, "SELECT type, data FROM vals WHERE key_id = ?1 AND name_fold = ?2");
    if (!st.Ok())
        return ErrorFromSqlite(st.PrepareResult());
    st.Bind(1, key.m_id).Bind(2, FoldAscii(Utf16ToUtf8(name)));
    const int rc = st.Step();
    if (rc == SQLITE_DONE)
        return ERROR_FILE_NOT_FOUND;
    if (rc != SQLITE_ROW)
        return ErrorFromSqlite(rc);
    const std::vector<std::uint8_t> stored = st.Blob(1);
    if (type != nullptr)
        *type = DWORD(st.Int(0));
    const DWORD capacity = size ? *size : 0;
    if (size != nullptr)
        *size = DWORD(stored.size());
    if (data == nullptr)
        return ERROR_SUCCESS;
    if (stored.size() > capacity)
        return ERROR_MORE_DATA;
    std::copy(stored.begin(), stored.end(), data);
    return ERROR_SUCCESS;
}

DWORD RegistryStore::SetValue(const RegistryKey& key, std::u16string_view name, DWORD type, const std::uint8_t* data,
                              DWORD size)
{
    if (!key.IsOpen() || (data == nullptr && size != 0))
        return ERROR_INVALID_PARAMETER;
    if (!(key.m_access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    std::lock_guard guard(m_lock);
    if (DWORD rc = Connect(true); rc != ERROR_SUCCESS)
        return rc;
    const std::string utf8 = Utf16ToUtf8(name);
    return m_connection->WriteTransaction([&]() -> DWORD {
        // The key may have been deleted since it was opened.
        Statement exists(m_connection->db, "SELECT 1 FROM keys WHERE id = ?1");
        exists.Bind(1, key.m_id);
        if (!exists.Ok())
            return ErrorFromSqlite(exists.PrepareResult());
        if (int r = exists.Step(); r != SQLITE_ROW)
            return r == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : ErrorFromSqlite(r);
        Statement st(m_connection->db,
                     "INSERT OR REPLACE INTO vals(key_id, name, name_fold, type, data) VALUES (?1, ?2, ?3, ?4, ?5)");
        if (!st.Ok())
            return ErrorFromSqlite(st.PrepareResult());
        st.Bind(1, key.m_id).Bind(2, utf8).Bind(3, FoldAscii(utf8)).Bind(4, std::int64_t(type)).BindBlob(5, data, size);
        const int r = st.Step();
        return r == SQLITE_DONE ? ERROR_SUCCESS : ErrorFromSqlite(r);
    });
}

DWORD RegistryStore::DeleteValue(const RegistryKey& key, std::u16string_view name)
{
    if (!key.IsOpen())
        return ERROR_INVALID_PARAMETER;
    if (!(key.m_access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    std::lock_guard guard(m_lock);
    if (DWORD rc = Connect(false); rc != ERROR_SUCCESS)
        return rc;
    return m_connection->WriteTransaction([&]() -> DWORD {
        Statement st(m_connection->db, "DELETE FROM vals WHERE key_id = ?1 AND name_fold = ?2");
        if (!st.Ok())
            return ErrorFromSqlite(st.PrepareResult());
        st.Bind(1, key.m_id).Bind(2, FoldAscii(Utf16ToUtf8(name)));
        if (int r = st.Step(); r != SQLITE_DONE)
            return ErrorFromSqlite(r);
        return sqlite3_changes(m_connection->db) > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

DWORD RegistryStore::DeleteTree(HKEY root, std::u16string_view subKey, DWORD access)
{
    if (!IsKnownRegistryRoot(root))
        return ERROR_INVALID_PARAMETER;
    const std::string pathFold = FoldAscii(NormalizeKeyPath(subKey));
    if (pathFold.empty())
        return ERROR_ACCESS_DENIED;
    std::lock_guard guard(m_lock);
    if (DWORD rc = Connect(false); rc != ERROR_SUCCESS)
        return rc;
    const RegistryView view = ViewFromAccess(access);
    return m_connection->WriteTransaction([&]() -> DWORD {
        DWORD error = ERROR_SUCCESS;
        if (m_connection->FindKey(root, view, pathFold, error) == 0)
            return error != ERROR_SUCCESS ? error : ERROR_FILE_NOT_FOUND;
        // Subkeys are exactly the folded paths in [path + '\\', path + ']'): ']' follows '\\'.
        constexpr const char* kTree = "root = ?1 AND view = ?2 AND (path_fold = ?3 OR "
                                      "(path_fold >= ?3 || '\\' AND path_fold < ?3 || ']'))";
        const std::string deleteValues =
            std::string("DELETE FROM vals WHERE key_id IN (SELECT id FROM keys WHERE ") + kTree + ")";
        const std::string deleteKeys = std::string("DELETE FROM keys WHERE ") + kTree;
        for (const std::string& sql : {deleteValues, deleteKeys}) {
            Statement st(m_connection->db, sql.c_str());
            if (!st.Ok())
                return ErrorFromSqlite(st.PrepareResult());
            st.Bind(1, std::int64_t(root)).Bind(2, std::int64_t(view)).Bind(3, pathFold);
            if (int r = st.Step(); r != SQLITE_DONE)
                return ErrorFromSqlite(r);
        }
        return ERROR_SUCCESS;
    });
}

DWORD RegistryStore::EnumSubKeys(const RegistryKey& key, std::vector<std::u16string>& names)
{
    names.clear();
    if (!key.IsOpen())
        return ERROR_INVALID_PARAMETER;
    if (!(key.m_access & KEY_ENUMERATE_SUB_KEYS))
        return ERROR_ACCESS_DENIED;
    std::lock_guard guard(m_lock);
    if (DWORD rc = Connect(false); rc != ERROR_SUCCESS)
        return rc;
    const std::string pathFold = FoldAscii(Utf16ToUtf8(key.m_path));
    const std::string prefix = pathFold.empty() ? std::string() : pathFold + "\\";
    Statement st(m_connection->db, "SELECT path, path_fold FROM keys WHERE root = ?1 AND view = ?2 AND "
                                   "path_fold > ?3 AND (?3 = '' OR path_fold < ?4) ORDER BY path_fold");
    if (!st.Ok())
        return ErrorFromSqlite(st.PrepareResult());
    st.Bind(1, std::int64_t(key.m_root)).Bind(2, std::int64_t(key.m_view)).Bind(3, prefix);
    st.Bind(4, pathFold + "]");
    int rc;
    while ((rc = st.Step()) == SQLITE_ROW) {
        const std::string path = st.Text(0);
        if (path.size() <= prefix.size() || path.find('\\', prefix.size()) != std::string::npos)
            continue;
        names.push_back(Utf8ToUtf16(path.substr(prefix.size())));
    }
    return rc == SQLITE_DONE ? ERROR_SUCCESS : ErrorFromSqlite(rc);
}

DWORD RegistryStore::EnumValues(const RegistryKey& key, std::vector<RegistryValue>& values)
{
    values.clear();
    if (!key.IsOpen())
        return ERROR_INVALID_PARAMETER;
    if (!(key.m_access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    std::lock_guard guard(m_lock);
    if (DWORD rc = Connect(false); rc != ERROR_SUCCESS)
        return rc;
    Statement st(m_connection->db, "SELECT name, type, data FROM vals WHERE key_id = ?1 ORDER BY name_fold");
    if (!st.Ok())
        return ErrorFromSqlite(st.PrepareResult());
    st.Bind(1, key.m_id);
    int rc;
    while ((rc = st.Step()) == SQLITE_ROW)
        values.push_back({Utf8ToUtf16(st.Text(0)), DWORD(st.Int(1)), st.Blob(2)});
    return rc == SQLITE_DONE ? ERROR_SUCCESS : ErrorFromSqlite(rc);
}

DWORD RegistryStore::SetString(const RegistryKey& key, std::u16string_view name, std::u16string_view text)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (char16_t c : text) {
        bytes.push_back(std::uint8_t(c & 0xFF));
        bytes.push_back(std::uint8_t(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return SetValue(key, name, REG_SZ, bytes.data(), DWORD(bytes.size()));
}

DWORD RegistryStore::SetDword(const RegistryKey& key, std::u16string_view name, DWORD value)
{
    const std::uint8_t bytes[4] = {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
                                   std::uint8_t(value >> 24)};
    return SetValue(key, name, REG_DWORD, bytes, 4);
}

} // namespace platform
