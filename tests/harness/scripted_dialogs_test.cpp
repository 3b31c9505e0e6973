#include "support/scripted_dialogs.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

TEST(ScriptedDialogs, answersFromTheQueueAndRecordsMessages) {
    support::ScriptedDialogs dialogs;
    dialogs.push(QString("/tmp/a.jjj"));
    dialogs.push(support::ScriptedDialogs::Cancel{});
    dialogs.push(platform::MessageAnswer::Yes);
    EXPECT_EQ(dialogs.openFile(nullptr, {"t", "*.jjj", "Projeto Quelvora|*.jjj", "C", true}),
              QString("/tmp/a.jjj"));
    EXPECT_FALSE(dialogs.saveFile(nullptr, {}).has_value());
    EXPECT_EQ(dialogs.message(nullptr, "Selecione um tema"), platform::MessageAnswer::Ok);
    EXPECT_EQ(dialogs.message(nullptr, "Apagar?", platform::MessageKind::Question,
                              platform::MessageButtons::YesNo),
              platform::MessageAnswer::Yes);
    EXPECT_EQ(dialogs.messages(), QStringList({"Selecione um tema", "Apagar?"}));
    ASSERT_EQ(dialogs.fileDialogs().size(), 2);
    EXPECT_EQ(dialogs.fileDialogs().first().filter, "Projeto Quelvora|*.jjj");
    EXPECT_TRUE(dialogs.allAnswersUsed());
}

TEST(ScriptedDialogs, dialogWithoutAnAnswerFailsTheTestInsteadOfBlocking) {
    support::ScriptedDialogs dialogs;
    EXPECT_NONFATAL_FAILURE(EXPECT_FALSE(dialogs.openFile(nullptr, {}).has_value()),
                            "no scripted answer");
    dialogs.push(QColor(Qt::red));
    EXPECT_NONFATAL_FAILURE(EXPECT_FALSE(dialogs.textInput(nullptr, "t", "p", "").has_value()),
                            "does not fit");
}

TEST(ScriptedDialogs, aListChoiceIsAnsweredByTheItemsTextAndRecordsWhatWasOffered) {
    support::ScriptedDialogs dialogs;
    dialogs.push(support::ScriptedDialogs::Choose{"falhas"});
    dialogs.push(support::ScriptedDialogs::Cancel{});
    dialogs.push(support::ScriptedDialogs::Choose{"rios"});
    const QStringList layers{"geologia", "falhas"};
    EXPECT_EQ(dialogs.choice(nullptr, "t", "p", layers), 1);
    EXPECT_FALSE(dialogs.choice(nullptr, "t", "p", layers).has_value());
    EXPECT_NONFATAL_FAILURE(EXPECT_FALSE(dialogs.choice(nullptr, "t", "p", layers).has_value()),
                            "does not offer rios");
    EXPECT_EQ(dialogs.choices(), QList<QStringList>({layers, layers, layers}));
    dialogs.push(QString("geologia"));  // a text answers file and text dialogs only
    EXPECT_NONFATAL_FAILURE(EXPECT_FALSE(dialogs.choice(nullptr, "t", "p", layers).has_value()),
                            "does not fit");
}
