// The options file of the fatal reporter in a set-user-ID program: the
// environment variable that names it is ignored there (secure_getenv), so a
// caller cannot point the reporter at a file, nor its error log at a
// directory, of the caller's choosing. The probe program is installed
// set-user-ID to the user "nobody"; running it needs root, a file system
// that honours set-user-ID bits, and that user.
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "loaded_module.h"
#include "test_util.h"

namespace {

// Runs the probe with the faults library failing its health check and
// TESSALIB_OPTIONS_FILE naming an options file that puts the error log in
// log_dir. Returns the probe's exit status.
int run_probe(const std::string& probe, const std::string& log_dir) {
    const std::string options = log_dir + "/options";
    std::ofstream(options) << "NoMessageBox=1\nErrorLogDir=" << log_dir << "\n";
    return lt::run_in_child([&] {
        setenv("TESSALIB_OPTIONS_FILE", options.c_str(), 1);
        setenv("TESSALIB_TEST_FAULT", "health", 1);
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);  // no leak check in a set-user-ID process
        execl(probe.c_str(), probe.c_str(), lt::faults_library(), static_cast<char*>(nullptr));
        return 127;
    });
}

}  // namespace

TEST(OptionsFile, IsIgnoredInASetUserIdProgram) {
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() != 0 || nobody == nullptr) GTEST_SKIP() << "needs root and the user nobody";
    tu::TempDir dir;
    // Everyone may enter the folders and write the logs: the probe runs as nobody.
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const std::string probe = dir.file("setuid_probe");
    std::filesystem::copy_file(TESSALIB_SETUID_PROBE, probe);
    const std::string trusted_logs = dir.file("trusted"), chosen_logs = dir.file("chosen");
    for (const std::string& d : {trusted_logs, chosen_logs}) {
        std::filesystem::create_directory(d);
        std::filesystem::permissions(d, std::filesystem::perms::all);
    }

    // Not set-user-ID: the environment names the options file, and the log
    // goes where it says.
    ASSERT_EQ(run_probe(probe, trusted_logs), 0);
    EXPECT_EQ(lt::logged_events(trusted_logs), "c0001f42");

    // Set-user-ID: the same environment is ignored; the report goes to the
    // default place (beside the program), never to the chosen directory.
    ASSERT_EQ(chown(probe.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    ASSERT_EQ(chmod(probe.c_str(), 04755), 0);
    struct stat st {};
    ASSERT_EQ(stat(probe.c_str(), &st), 0);
    ASSERT_TRUE(st.st_mode & S_ISUID);
    ASSERT_EQ(run_probe(probe, chosen_logs), 0);
    EXPECT_FALSE(std::filesystem::exists(chosen_logs + "/apierr.log"));
    EXPECT_EQ(lt::logged_events(dir.path()), "c0001f42");  // beside the program
}
