// Attacks by an unprivileged local user (uid 65534, no groups) against a root run, performed for
// real from a forked child that has dropped its privileges. Each test counts the attacker's
// attempts during the window that matters and checks, by content, that nothing outside the
// installation changed.
#include "app/Removal.h"
#include "app/Startup.h"
#include "app/UninstallWorker.h"

#include "TestSandbox.h"
#include "platform/DetachedTasks.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/InstanceMarker.h"
#include "platform/Registry.h"
#include "platform/TextEncoding.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <functional>

using namespace tvu_test;
using namespace std::chrono_literals;

namespace {

constexpr uid_t kNobody = 65534;

bool DropTo(uid_t uid)
{
    return setgroups(0, nullptr) == 0 && setresgid(uid, uid, uid) == 0 && setresuid(uid, uid, uid) == 0;
}

// A loop run as another user in a forked child until the test stops it. The loop gets a counter
// of attempts and one of successes, both in memory shared with the test.
class Attacker
{
public:
    using Loop =
        std::function<void(std::atomic<long>& attempts, std::atomic<long>& successes, const std::atomic<bool>& stop)>;

    Attacker(uid_t uid, const Loop& loop)
    {
        void* memory = mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        m_shared = new (memory) Shared;
        m_pid = fork();
        if (m_pid == 0) {
            if (!DropTo(uid))
                _exit(99);
            m_shared->started = true;
            loop(m_shared->attempts, m_shared->successes, m_shared->stop);
            _exit(0);
        }
        WaitFor([&] { return m_shared->started.load(); }, 5s);
    }
    ~Attacker()
    {
        Stop();
        munmap(m_shared, sizeof(Shared));
    }

    int Stop()
    {
        if (m_pid <= 0)
            return m_status;
        m_shared->stop = true;
        waitpid(m_pid, &m_status, 0);
        m_pid = -1;
        return m_status;
    }
    bool Started() const { return m_shared->started; }
    long Attempts() const { return m_shared->attempts; }
    long Successes() const { return m_shared->successes; }

private:
    struct Shared
    {
        std::atomic<bool> started{false};
        std::atomic<bool> stop{false};
        std::atomic<long> attempts{0};
        std::atomic<long> successes{0};
    };
    Shared* m_shared = nullptr;
    pid_t m_pid = -1;
    int m_status = 0;
};

// Runs a function as another user in a forked child and returns its exit code.
int RunAs(uid_t uid, const std::function<int()>& action)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(DropTo(uid) ? action() : 99);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ChownTree(const fs::path& path, uid_t uid)
{
    ASSERT_EQ(lchown(path.c_str(), uid, uid), 0) << path;
    if (fs::is_directory(fs::symlink_status(path))) {
        for (const auto& entry : fs::recursive_directory_iterator(path)) {
            ASSERT_EQ(lchown(entry.path().c_str(), uid, uid), 0) << entry.path();
        }
    }
}

std::u16string U(const fs::path& path)
{
    return platform::Utf8ToUtf16(path.string());
}

void SetUninstallString(const fs::path& uninstaller, const fs::path& shortcut = {})
{
    platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
    platform::RegistryKey key;
    ASSERT_EQ(store.CreateKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
    ASSERT_EQ(store.SetString(key, u"UninstallString", U(uninstaller)), ERROR_SUCCESS);
    if (!shortcut.empty()) {
        ASSERT_EQ(store.SetString(key, u"DisplayShortcut", U(shortcut)), ERROR_SUCCESS);
    }
}

// As the given user, makes the store at db name the target as the shortcut to delete.
int PlantShortcutAs(uid_t uid, const fs::path& db, const fs::path& target)
{
    return RunAs(uid, [&] {
        platform::RegistryStore store(db.string());
        platform::RegistryKey key;
        return store.CreateKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_ALL_ACCESS, key) == 0 &&
                       store.SetString(key, u"DisplayShortcut", U(target)) == 0
                   ? 0
                   : 1;
    });
}

class Hardening : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "the attacks are made against a root run";
        // The attacker must be able to reach the sandbox.
        fs::permissions(m_sandbox.Dir(), fs::perms(0755));
        m_victim = m_sandbox.Dir() / "victim";
        WriteText(m_victim / "Tarvion.lnk", "victim's own shortcut");
        WriteText(m_victim / "Remove Tarvion.lnk", "victim's other shortcut");
        WriteText(m_victim / "precious.txt", "victim data");
        WriteText(m_victim / "uninstall.dat", R"([{"name":"precious.txt"}])");
        m_before = Sandbox::Snapshot(m_victim);
    }

    void ExpectVictimUntouched() { EXPECT_EQ(Sandbox::Snapshot(m_victim), m_before); }

    Sandbox m_sandbox;
    fs::path m_victim;
    std::map<std::string, std::string> m_before;
};

} // namespace

// The copy goes into a fresh 0700 folder of root's inside a shared sticky TEMP, and the attacker's
// renames of his own program over it all fail; TEMP/uninstall.exe itself no longer matters.
TEST_F(Hardening, TheRelocatedCopyCannotBeSwappedInASharedTemp)
{
    const fs::path temp = m_sandbox.Dir() / "shared-temp";
    fs::create_directories(temp);
    fs::permissions(temp, fs::perms(01777));
    const fs::path source = m_sandbox.Dir() / "program";
    WriteText(source, std::string(200000, 'P'));

    Attacker attacker(kNobody,
                      [&](std::atomic<long>& attempts, std::atomic<long>& successes, const std::atomic<bool>& stop) {
                          const std::string evil = (temp / "evil").string();
                          while (!stop) {
                              {
                                  std::ofstream(evil) << "attacker's program";
                              }
                              chmod(evil.c_str(), 0777);
                              std::error_code ec;
                              for (const auto& entry : fs::directory_iterator(temp, ec)) {
                                  if (entry.path().filename().string().rfind("tarvion-uninstall-", 0) != 0)
                                      continue;
                                  ++attempts;
                                  if (rename(evil.c_str(), (entry.path() / "uninstall.exe").c_str()) == 0)
                                      ++successes;
                                  std::ofstream((entry.path() / "uninstall.exe").string(), std::ios::trunc) << "x";
                              }
                              // The old fixed name, which the copy no longer uses.
                              rename(evil.c_str(), (temp / "uninstall.exe").c_str());
                          }
                      });
    ASSERT_TRUE(attacker.Started());

    for (int i = 0; i < 200 && (i < 20 || attacker.Attempts() < 100); ++i) {
        std::u16string copy;
        ASSERT_EQ(platform::CopyIntoPrivateFolder(U(source), U(temp), u"uninstall.exe", copy), ERROR_SUCCESS);
        const fs::path path = platform::Utf16ToUtf8(copy);
        EXPECT_EQ(path.parent_path().parent_path(), temp);
        struct stat folder, file;
        ASSERT_EQ(lstat(path.parent_path().c_str(), &folder), 0);
        ASSERT_EQ(lstat(path.c_str(), &file), 0);
        EXPECT_EQ(folder.st_mode & 07777, 0700u);
        EXPECT_EQ(folder.st_uid, 0u);
        EXPECT_TRUE(S_ISREG(file.st_mode));
        EXPECT_EQ(ReadText(path), ReadText(source));
        std::this_thread::sleep_for(2ms); // the window in which the relaunch would start the copy
        EXPECT_EQ(ReadText(path), ReadText(source));
        fs::remove_all(path.parent_path());
    }
    attacker.Stop();
    EXPECT_GT(attacker.Attempts(), 0) << "the attack did not run";
    EXPECT_EQ(attacker.Successes(), 0);
}

// A TEMP that another user could change is refused with the copy-error box and nothing is written
// there; the codes are the failed copy's own.
TEST_F(Hardening, AnUnsafeTempIsRefusedAndTheCopyErrorCarriesTheCopysCode)
{
    const auto relocate = [](const fs::path& temp) {
        setenv("TEMP", temp.c_str(), 1);
        char16_t buffer[kMessageCapacity + 1] = {};
        EXPECT_FALSE(RelocateToTemp(buffer, kMessageCapacity));
        return platform::Utf16ToUtf8(buffer);
    };
    const fs::path open = m_sandbox.Dir() / "open-temp";
    fs::create_directories(open);
    fs::permissions(open, fs::perms(0777));
    EXPECT_EQ(relocate(open), "uninstall.exe copy error,err=5");
    EXPECT_TRUE(fs::is_empty(open));

    const fs::path owned = m_sandbox.Dir() / "attackers-temp";
    fs::create_directories(owned);
    ChownTree(owned, kNobody);
    EXPECT_EQ(relocate(owned), "uninstall.exe copy error,err=5");
    EXPECT_TRUE(fs::is_empty(owned));

    // A folder the attacker owns above an otherwise fine TEMP.
    fs::create_directories(owned / "inner");
    ChownTree(owned / "inner", 0);
    EXPECT_EQ(relocate(owned / "inner"), "uninstall.exe copy error,err=5");

    EXPECT_EQ(relocate(m_sandbox.Dir() / "missing"), "uninstall.exe copy error,err=3");

    // Inside a TEMP that is safe but not writable for the user, and on a full disk.
    const fs::path source = m_sandbox.Dir() / "program";
    WriteText(source, std::string(256 * 1024, 'P'));
    const fs::path rootsOnly = m_sandbox.Dir() / "roots-temp";
    fs::create_directories(rootsOnly);
    EXPECT_EQ(RunAs(kNobody,
                    [&] {
                        std::u16string copy;
                        return int(platform::CopyIntoPrivateFolder(U(source), U(rootsOnly), u"uninstall.exe", copy));
                    }),
              int(ERROR_ACCESS_DENIED));
    const fs::path small = m_sandbox.Dir() / "small-temp";
    fs::create_directories(small);
    const pid_t child = fork();
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0)
            _exit(200);
        std::u16string copy;
        const DWORD rc = platform::CopyIntoPrivateFolder(U(source), U(small), u"uninstall.exe", copy);
        // What failed is removed again.
        _exit(fs::is_empty(small) ? int(rc) : 201);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 200) << "no private mount namespace for a full disk";
    EXPECT_EQ(WEXITSTATUS(status), int(ERROR_DISK_FULL));

    // A safe TEMP gets the copy in a private folder; this test program has no manifest beside it.
    const fs::path safe = m_sandbox.Dir() / "safe-temp";
    fs::create_directories(safe);
    EXPECT_EQ(relocate(safe), "uninstall.dat error.Uninstall Failed.");
    std::vector<fs::path> made;
    for (const auto& entry : fs::directory_iterator(safe))
        made.push_back(entry.path());
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].filename().string().rfind("tarvion-uninstall-", 0), 0u);
    EXPECT_TRUE(fs::is_regular_file(made[0] / "uninstall.exe"));

    // Self-deletion takes the private folder with the copy.
    ASSERT_TRUE(platform::StartDelayedDelete(U(made[0] / "uninstall.exe"), 50));
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(made[0]); }, 5s));
    // An ordinary folder stays.
    WriteText(safe / "plain" / "uninstall.exe", "x");
    ASSERT_TRUE(platform::StartDelayedDelete(U(safe / "plain" / "uninstall.exe"), 10));
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(safe / "plain" / "uninstall.exe"); }, 5s));
    EXPECT_TRUE(fs::exists(safe / "plain"));
}

// Created under any umask, the store's folders are 0755 and the file 0644. Root refuses a store
// that another user could change, and regtool warns.
TEST_F(Hardening, TheStoreIsCreatedSafelyAndAStoreOthersCouldChangeIsRefused)
{
    for (const mode_t mask : {mode_t(0), mode_t(077)}) {
        const mode_t saved = umask(mask);
        const fs::path db = m_sandbox.Dir() / ("store-" + std::to_string(mask)) / "deep" / "registry.db";
        platform::RegistryStore store(db.string());
        platform::RegistryKey key;
        const DWORD rc = store.CreateKey(HKEY_LOCAL_MACHINE, u"Software\\X", KEY_ALL_ACCESS, key);
        umask(saved);
        ASSERT_EQ(rc, ERROR_SUCCESS);
        EXPECT_EQ(fs::status(db.parent_path()).permissions(), fs::perms(0755));
        EXPECT_EQ(fs::status(db.parent_path().parent_path()).permissions(), fs::perms(0755));
        EXPECT_EQ(fs::status(db).permissions(), fs::perms(0644));
        std::u16string why;
        EXPECT_TRUE(platform::RegistryStoreIsTrusted(db.string(), why)) << platform::Utf16ToUtf8(why);
    }

    // The attacker owns the store's folder and puts a store of his own there, naming the victim's
    // file as the shortcut to delete.
    const fs::path folder = m_sandbox.Dir() / "attackers-store";
    fs::create_directories(folder);
    ChownTree(folder, kNobody);
    const fs::path db = folder / "registry.db";
    ASSERT_EQ(PlantShortcutAs(kNobody, db, m_victim / "precious.txt"), 0);
    std::u16string why;
    EXPECT_FALSE(platform::RegistryStoreIsTrusted(db.string(), why));
    EXPECT_NE(platform::Utf16ToUtf8(why).find("belongs to user 65534"), std::string::npos);

    // Writable by others, at the file or at a folder above it; or reached through their link.
    const fs::path mine = m_sandbox.Dir() / "root-store" / "registry.db";
    {
        platform::RegistryStore store(mine.string());
        platform::RegistryKey key;
        ASSERT_EQ(store.CreateKey(HKEY_LOCAL_MACHINE, u"Software\\X", KEY_ALL_ACCESS, key), ERROR_SUCCESS);
    }
    EXPECT_TRUE(platform::RegistryStoreIsTrusted(mine.string(), why));
    fs::permissions(mine, fs::perms(0666));
    EXPECT_FALSE(platform::RegistryStoreIsTrusted(mine.string(), why));
    fs::permissions(mine, fs::perms(0644));
    fs::permissions(mine.parent_path(), fs::perms(0777));
    EXPECT_FALSE(platform::RegistryStoreIsTrusted(mine.string(), why));
    fs::permissions(mine.parent_path(), fs::perms(0755));
    const fs::path link = m_sandbox.Dir() / "link-to-store";
    fs::create_directory_symlink(mine.parent_path(), link);
    ChownTree(link, kNobody);
    EXPECT_FALSE(platform::RegistryStoreIsTrusted((link / "registry.db").string(), why));

    setenv("TVU_REGISTRY", db.c_str(), 1);
    const CommandResult r =
        m_sandbox.Regtool("query 'HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvion VPN'");
    EXPECT_NE(r.err.find("WARNING: the registry store"), std::string::npos) << r.err;
    setenv("TVU_REGISTRY", (m_sandbox.Dir() / "registry.db").c_str(), 1);
    const CommandResult quiet = m_sandbox.Regtool("query 'HKLM\\Software\\X'");
    EXPECT_EQ(quiet.err.find("WARNING"), std::string::npos) << quiet.err;
    ExpectVictimUntouched();
}

// A root-owned link to the victim's folder inside a folder the attacker owns: the link is root's
// and leads to root's files, but the attacker can replace it at any moment, so the path is not
// trusted. Judging only links and the resolved path passed it, which a flip between the two
// looks turned into the deletion of the victim's files.
TEST_F(Hardening, AFolderOfAnotherUserOnTheWayIsNotTrustedEvenWhereItsLinkIsRoots)
{
    const fs::path base = m_sandbox.Dir() / "attacker";
    fs::create_directories(base);
    fs::create_directory_symlink(m_victim, base / "inst");
    ChownTree(base, kNobody);
    ASSERT_EQ(lchown((base / "inst").c_str(), 0, 0), 0);
    std::u16string why;
    EXPECT_TRUE(platform::FolderIsTrusted(platform::Utf8ToUtf16(m_victim.string()), why)) << "the victim's own folder";
    EXPECT_FALSE(platform::FolderIsTrusted(platform::Utf8ToUtf16((base / "inst").string()), why));
    EXPECT_NE(why.find(u"belongs to user 65534"), std::u16string::npos);
    SetUninstallString(base / "inst" / "uninstall.exe");
    RemovalReport report;
    RemoveListedFiles(nullptr, &report);
    ExpectVictimUntouched();
}

// The attacker owns the folder the registration points into and flips it between his own
// installation and a link to the victim's folder while root removes: the folder is opened once
// and the manifest read through it, so nothing of the victim's goes.
TEST_F(Hardening, FlippingTheInstallationFolderNeverRedirectsADeletion)
{
    const fs::path base = m_sandbox.Dir() / "attacker";
    fs::create_directories(base);
    ChownTree(base, kNobody);
    SetUninstallString(base / "inst" / "uninstall.exe");

    Attacker attacker(kNobody, [&](std::atomic<long>& flips, std::atomic<long>&, const std::atomic<bool>& stop) {
        const fs::path inst = base / "inst", real = base / "real", link = base / "link";
        std::error_code ec;
        fs::create_directory_symlink(m_victim, link, ec);
        while (!stop) {
            fs::create_directories(real, ec);
            WriteText(real / "uninstall.dat", R"([{"name":"precious.txt"},{"name":"Tarvion.lnk"}])");
            WriteText(real / "precious.txt", "attacker's decoy");
            rename(real.c_str(), inst.c_str());
            rename(inst.c_str(), real.c_str());
            ++flips;
            fs::create_directory_symlink(m_victim, link, ec);
            rename(link.c_str(), inst.c_str()); // the link replaces nothing while inst is a folder
            rename(inst.c_str(), link.c_str());
            ++flips;
        }
    });
    ASSERT_TRUE(attacker.Started());
    long during = 0;
    for (int i = 0; i < 300; ++i) {
        const long before = attacker.Attempts();
        RemovalReport report;
        RemoveListedFiles(nullptr, &report);
        during += attacker.Attempts() > before;
    }
    attacker.Stop();
    EXPECT_GT(during, 0) << "no flip happened during a removal";
    ExpectVictimUntouched();
}

// Shortcut and Start Menu deletions go through a descriptor of their folder, opened without
// following a link in its last component: a folder the attacker turns into a link to the victim's
// folder leads nowhere.
TEST_F(Hardening, ShortcutFoldersTurnedIntoLinksLeadNowhere)
{
    const fs::path startMenu = m_sandbox.Dir() / "startmenu";
    fs::create_directories(startMenu);
    ChownTree(startMenu, kNobody);
    const fs::path desktop = m_sandbox.Dir() / "attackers-desktop";
    fs::create_directories(desktop);
    ChownTree(desktop, kNobody);
    SetUninstallString(m_sandbox.Dir() / "install" / "uninstall.exe", desktop / "shortcuts" / "Tarvion.lnk");

    Attacker attacker(kNobody, [&](std::atomic<long>& flips, std::atomic<long>&, const std::atomic<bool>& stop) {
        std::error_code ec;
        while (!stop) {
            for (const fs::path& folder : {startMenu / "Tarvion", desktop / "shortcuts"}) {
                fs::remove_all(folder, ec);
                fs::create_directory_symlink(m_victim, folder, ec);
                ++flips;
            }
            std::this_thread::sleep_for(50us);
            for (const fs::path& folder : {startMenu / "Tarvion", desktop / "shortcuts"}) {
                fs::remove(folder, ec);
                WriteText(folder / "Tarvion.lnk", "attacker's own shortcut");
                WriteText(folder / "Remove Tarvion.lnk", "attacker's own shortcut");
            }
        }
    });
    ASSERT_TRUE(attacker.Started());
    long during = 0;
    for (int i = 0; i < 300; ++i) {
        const long before = attacker.Attempts();
        RemoveRecordedShortcut();
        RemoveStartMenuEntries();
        during += attacker.Attempts() > before;
    }
    attacker.Stop();
    EXPECT_GT(during, 0);
    ExpectVictimUntouched();

    // Where the folders are what they seem, the shortcuts do go.
    std::error_code ec;
    fs::remove_all(startMenu / "Tarvion", ec);
    fs::remove_all(desktop / "shortcuts", ec);
    WriteText(startMenu / "Tarvion" / "Tarvion.lnk", "s");
    WriteText(desktop / "shortcuts" / "Tarvion.lnk", "s");
    RemoveRecordedShortcut();
    RemoveStartMenuEntries();
    EXPECT_FALSE(fs::exists(startMenu / "Tarvion"));
    EXPECT_FALSE(fs::exists(desktop / "shortcuts" / "Tarvion.lnk"));
}

// A chain of 100,000 nested folders goes, with the descriptors limited to 64 and the deleting
// thread's stack to 256 KiB (a recursive descent needs far more of either).
TEST_F(Hardening, AHundredThousandNestedFoldersAreRemovedWithBoundedStackAndDescriptors)
{
    constexpr int kDepth = 100000;
    // In memory where there is a tmpfs: on disk the chain costs hundreds of megabytes of folder
    // blocks to write and free, which says nothing about the deletion.
    const fs::path shm = "/dev/shm";
    // A name of its own: runs in other PID namespaces share /dev/shm and may have the same pid.
    std::string unique = (shm / "tvu-deep-XXXXXX").string();
    const bool inMemory = fs::is_directory(shm) && mkdtemp(unique.data()) != nullptr;
    const fs::path install = (inMemory ? fs::path(unique) : m_sandbox.Dir()) / "install";
    fs::create_directories(install);
    struct Cleanup
    {
        fs::path path;
        ~Cleanup()
        {
            if (path.parent_path() != "/dev/shm")
                return;
            std::error_code ec;
            fs::remove_all(path, ec);
        }
    } cleanup{install.parent_path()};
    int fd = open(install.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < kDepth; ++i) {
        const char* name = i == 0 ? "deep" : "d";
        ASSERT_EQ(mkdirat(fd, name, 0755), 0) << i;
        if (i % 1000 == 0)
            close(openat(fd, "f", O_CREAT | O_WRONLY, 0644));
        const int next = openat(fd, name, O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
        ASSERT_GE(fd, 0);
    }
    close(fd);
    WriteText(install / "beside.txt", "not listed");

    const pid_t child = fork();
    if (child == 0) {
        rlimit files{64, 64};
        setrlimit(RLIMIT_NOFILE, &files);
        pthread_attr_t attributes;
        pthread_attr_init(&attributes);
        pthread_attr_setstacksize(&attributes, 256 * 1024);
        static int s_result = -1;
        static std::string s_dir;
        s_dir = install.string() + "/";
        pthread_t thread;
        pthread_create(
            &thread, &attributes,
            [](void*) -> void* {
                platform::ConfinedDirectory dir;
                s_result = dir.Open(platform::Utf8ToUtf16(s_dir)) ? dir.DeleteBelowUtf8("deep") : -2;
                return nullptr;
            },
            nullptr);
        pthread_join(thread, nullptr);
        _exit(s_result == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the deletion crashed";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(fs::exists(install / "deep"));
    EXPECT_EQ(ReadText(install / "beside.txt"), "not listed");
}

// A foreign holder of the marker's name, answering "yes" to everything, is not believed, so the
// run goes on; a same-user holder that does not answer is given up on quickly.
TEST_F(Hardening, OnlyASameUserHolderOfTheMarkerCounts)
{
    const std::string name = "Global\\tvu-hardening-" + std::to_string(getpid());
    Attacker holder(kNobody, [&](std::atomic<long>& accepted, std::atomic<long>&, const std::atomic<bool>& stop) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, name.data(), name.size());
        const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd, 8) != 0)
            _exit(2);
        while (!stop) {
            const int client = accept(fd, nullptr, nullptr);
            if (client < 0) {
                usleep(500);
                continue;
            }
            ++accepted;
            ssize_t ignored = send(client, "1", 1, MSG_NOSIGNAL);
            (void)ignored;
            close(client);
        }
    });
    ASSERT_TRUE(holder.Started());
    ASSERT_TRUE(WaitFor([&] {
        platform::InstanceMarker probe;
        return probe.Create(name) == platform::MarkerState::AlreadyExists;
    }));
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(platform::RaiseInstanceWindow(name, u"CMainWnd", u"Tarvion Uninstall Window"));
    EXPECT_TRUE(WaitFor([&] { return holder.Attempts() >= 5; })) << "the requests did not reach the foreign holder";
    EXPECT_EQ(holder.Stop(), 0) << "the foreign holder failed";

    // A same-user holder that never answers.
    const std::string silent = name + "-silent";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, silent.data(), silent.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(
        bind(fd, reinterpret_cast<sockaddr*>(&address), socklen_t(offsetof(sockaddr_un, sun_path) + 1 + silent.size())),
        0);
    ASSERT_EQ(listen(fd, 8), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(platform::RaiseInstanceWindow(silent, u"CMainWnd", u"Tarvion Uninstall Window"));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(platform::kRaiseAnswerTimeoutMs - 50));
    EXPECT_LT(waited, std::chrono::milliseconds(platform::kRaiseAnswerTimeoutMs + 1000));
    close(fd);
}

// A process whose executable cannot be read is never killed for its self-chosen command name.
TEST_F(Hardening, AProcessIsKilledOnlyForItsExecutablesName)
{
    // The decoy runs as the same user as the scan, so a kill would succeed; it is not dumpable,
    // so its /proc/PID/exe cannot be read, and it calls itself "Tarvion.exe".
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t decoy = fork();
    if (decoy == 0) {
        if (!DropTo(kNobody))
            _exit(99);
        prctl(PR_SET_NAME, "Tarvion.exe");
        prctl(PR_SET_DUMPABLE, 0);
        ssize_t ignored = write(ready[1], "r", 1);
        (void)ignored;
        for (;;)
            pause();
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    close(ready[0]);
    close(ready[1]);
    const int killed = RunAs(kNobody, [] { return TerminateProcessesByName(u"Tarvion.exe"); });
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(killed, 0);
    EXPECT_TRUE(platform::IsProcessRunning(decoy)) << "killed for its command name";
    kill(decoy, SIGKILL);
    waitpid(decoy, nullptr, 0);
}

// The whole program, run as root on a store in a folder the attacker owns (where he has put a
// store of his own, naming the victim's file as the shortcut): one box says why, and nothing of
// the installation or the victim's goes.
TEST_F(Hardening, TheUninstallerRunAsRootRefusesAStoreOthersCouldChange)
{
    const std::string program = std::string(TVU_BINARY_DIR) + "/app/uninstall.exe";
    // Staged beside the victim's folder: the stager wants a folder of its own.
    const fs::path staged = m_sandbox.Dir() / "staged";
    const CommandResult stage = m_sandbox.Run(
        Cat({"'", ToolPath("tarvion-stage"), "' '", staged.string(), "' --files 20 --uninstaller '", program, "'"}));
    ASSERT_EQ(stage.exitCode, 0) << stage.err;
    const fs::path install = staged / "install";
    const fs::path folder = m_sandbox.Dir() / "attackers-store";
    fs::create_directories(folder);
    fs::rename(staged / "registry.db", folder / "registry.db");
    ChownTree(folder, kNobody);
    ASSERT_EQ(PlantShortcutAs(kNobody, folder / "registry.db", m_victim / "precious.txt"), 0);
    const auto installBefore = Sandbox::Snapshot(install);
    const fs::path boxes = m_sandbox.Dir() / "boxes.log";
    const CommandResult r = m_sandbox.Run(
        Cat({"env TVU_PLATFORM=headless TVU_MSGBOX=ok TVU_MSGBOX_LOG='", boxes.string(), "' TVU_REGISTRY='",
             (folder / "registry.db").string(), "' TEMP='", (m_sandbox.Dir() / "temp").string(),
             "' DISPLAY= WAYLAND_DISPLAY= '", (install / "uninstall.exe").string(), "'"}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string log = ReadText(boxes);
    EXPECT_NE(log.find("The registry store can be changed by a user other than root ("), std::string::npos) << log;
    EXPECT_NE(log.find("belongs to user 65534"), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << "exactly one box";
    std::this_thread::sleep_for(1500ms); // no relaunched copy comes either
    EXPECT_EQ(Sandbox::Snapshot(install), installBefore);
    EXPECT_FALSE(fs::exists(m_sandbox.Dir() / "temp") && !fs::is_empty(m_sandbox.Dir() / "temp"));
    ExpectVictimUntouched();
}
