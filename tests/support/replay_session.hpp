// Runs a program under easel-replay from a test.
//
//     replay_session session(PROGRAM);
//     const replay_result result = session.run("click left 10 20\nsnap after.png\n");
//     EXPECT_EQ(result.status, 0);
//     EXPECT_EQ(session.snapshot("after.png").at(10, 20), 0xff0000u);
//
// Each session works in a fresh temporary directory of its own, removed with the session: relative
// file names in scripts (snap, expect) are resolved there.
#pragma once

#include "image.hpp"

#include <string>
#include <vector>

namespace easel::testing {

struct replay_result {
    int status = -1;     // easel-replay's exit status: the program's own, or one of replay/exit_status.hpp
    std::string output;  // the program's standard output
    std::string errors;  // easel-replay's messages and the program's standard error

    // The output split into lines, without their line ends.
    std::vector<std::string> output_lines() const;
};

class replay_session {
public:
    explicit replay_session(std::string program, std::vector<std::string> arguments = {});
    ~replay_session();
    replay_session(const replay_session&) = delete;
    replay_session& operator=(const replay_session&) = delete;

    // Runs the program once with the script given as text; waits until easel-replay has finished.
    // Options (--out DIR, say) go before the script.
    replay_result run(const std::string& script, double timeout_seconds = 10,
                      const std::vector<std::string>& options = {}) const;

    // Where a file of this session's directory lives, to prepare an expected picture, say.
    std::string path(const std::string& name) const;
    // A picture the script saved with snap (or any image file of the session's directory).
    image::picture snapshot(const std::string& name) const;

private:
    std::string program_;
    std::vector<std::string> arguments_;
    std::string directory_;
};

}  // namespace easel::testing
