// A program talked to through pipes, as a script or another program would:
// each prompt must have come out before the program waits for its answer,
// or the talker waits for the prompt while the program waits for it.
#include <gtest/gtest.h>

#include <string>

#include "support/program_run.hpp"

TEST(Streams, EachPromptComesThroughAPipeBeforeTheProgramWaitsForItsAnswer) {
    ProgramSetup setup;
    setup.pipes = Pipes::dialogue;
    setup.timeout_seconds = 20;
    StartedProgram program = start_program(setup);
    const std::string menu_end = " 数字を選んで、Enterで確定してください。... .. ";
    const std::pair<std::string, std::string> turns[] = {
        {menu_end, "6"},                                      // the check of one number
        {"調べたい数を入力してください。\r\n", "91"},
        {"Enter、または、return で、復帰します・・・・\r\n", ""},
        {menu_end, "5"},                                      // a count
        {"一つ目の数字を入力してください。（１/２）\r\n", "10"},
        {"二つ目の数字を入力してください。（２/２）\r\n", "30"},
        {"Enter で、初期画面に戻ります。", ""},
        {menu_end, "1"},
    };
    for (const auto& [prompt, answer] : turns) {
        ASSERT_TRUE(wait_for_output(program, prompt)) << "no prompt before the answer " << answer;
        type_line(program, answer);
    }
    const ProgramRun run = finish_program(program);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("91 は、素数ではありません。"), std::string::npos);
    EXPECT_NE(run.out.find("『 6個 』"), std::string::npos);
}
