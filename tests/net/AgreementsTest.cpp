// Offers and answers as they travel, what this side may offer, and the score.
#include "net/Agreements.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

NetMessage Extension(const QString& word, const QString& fields) {
    return {NetCommand::Extension, word, fields};
}

TEST(Agreements, OffersAndAnswersAreReadOnlyWhenWellFormed) {
    using K = OfferKind;
    struct Row {
        const char *word, *fields;
        std::optional<AgreementMessage> want;
    };
    const Row rows[] = {
        {"EMPATE?", "3#41", AgreementMessage{{K::Draw, 3, 41, 0}, false, false}},
        {"VOLTAR?", "0#2#1", AgreementMessage{{K::TakeBack, 0, 2, 1}, false, false}},
        {"VOLTAR?", "0#2#2", AgreementMessage{{K::TakeBack, 0, 2, 2}, false, false}},
        {"SIM", "EMPATE#1#7", AgreementMessage{{K::Draw, 1, 7, 0}, true, true}},
        {"NAO", "VOLTAR#0#9", AgreementMessage{{K::TakeBack, 0, 9, 0}, true, false}},
        {"VOLTAR?", "0#2#0", std::nullopt},
        {"VOLTAR?", "0#2#3", std::nullopt},
        {"VOLTAR?", "0#2", std::nullopt},
        {"EMPATE?", "0#2#1", std::nullopt},
        {"EMPATE?", "-1#2", std::nullopt},
        {"EMPATE?", "0#12345", std::nullopt},
        {"EMPATE?", "0# 2", std::nullopt},
        {"SIM", "XADREZ#0#2", std::nullopt},
        {"SIM", "EMPATE#0", std::nullopt},
        {"VIVO", "", std::nullopt},
        {"empate?", "0#2", std::nullopt},
    };
    for (const Row& r : rows) {
        const auto got = ReadAgreement(Extension(r.word, r.fields));
        ASSERT_EQ(got.has_value(), r.want.has_value()) << r.word << " " << r.fields;
        if (!got) continue;
        EXPECT_EQ(got->offer, r.want->offer) << r.word << " " << r.fields;
        EXPECT_EQ(got->answer, r.want->answer) << r.word;
        EXPECT_EQ(got->yes, r.want->yes) << r.word;
    }
    // Any other command is no agreement, whatever its text.
    EXPECT_FALSE(ReadAgreement({NetCommand::Chat, "EMPATE?", "0#2"}));
    // What this side sends is read back as it was meant.
    for (const Offer& offer : {Offer{K::Draw, 2, 0, 0}, Offer{K::TakeBack, 0, 30, 2}}) {
        for (const bool yes : {true, false}) {
            const auto read = ParseStream(AnswerMessage(offer, yes).toLatin1() + EndMark);
            ASSERT_EQ(read.size(), 1u);
            const auto answer = ReadAgreement(read[0]);
            ASSERT_TRUE(answer);
            EXPECT_TRUE(answer->answer && answer->yes == yes);
            EXPECT_EQ(answer->offer.plies, offer.plies);
        }
    }
    EXPECT_EQ(OfferMessage({K::TakeBack, 0, 30, 2}), "Corvane:#VOLTAR?#0#30#2");
}

TEST(Agreements, OnePendingOfferAndNoRepeatBeforeTheNextMove) {
    Agreements a;
    const Offer draw{OfferKind::Draw, 0, 4, 0};
    ASSERT_TRUE(a.MayOffer(OfferKind::Draw, 0, 4));
    a.Sent(draw);
    EXPECT_FALSE(a.MayOffer(OfferKind::TakeBack, 0, 4)) << "one at a time";
    EXPECT_FALSE(a.Answered({OfferKind::Draw, 0, 3, 0}, true)) << "another moment";
    EXPECT_FALSE(a.Answered({OfferKind::TakeBack, 0, 4, 1}, true)) << "another kind";
    EXPECT_TRUE(a.Answered(draw, false));
    EXPECT_FALSE(a.Answered(draw, true)) << "answered once";
    EXPECT_FALSE(a.MayOffer(OfferKind::Draw, 0, 4)) << "refused here";
    EXPECT_TRUE(a.MayOffer(OfferKind::TakeBack, 0, 4));
    EXPECT_TRUE(a.MayOffer(OfferKind::Draw, 0, 5)) << "after the next move";
    EXPECT_TRUE(a.MayOffer(OfferKind::Draw, 1, 4)) << "in the next game";
    a.Sent({OfferKind::TakeBack, 0, 4, 2});
    a.Unanswered();
    EXPECT_FALSE(a.MayOffer(OfferKind::TakeBack, 0, 4)) << "unanswered counts as refused";
    a.Sent({OfferKind::Draw, 0, 6, 0});
    EXPECT_TRUE(a.Answered({OfferKind::Draw, 0, 6, 0}, true));
    EXPECT_TRUE(a.MayOffer(OfferKind::Draw, 0, 6)) << "accepted is not refused";
    a.Clear();
    EXPECT_TRUE(a.MayOffer(OfferKind::TakeBack, 0, 4));
}

TEST(Agreements, TheScoreCountsDrawsAsHalves) {
    struct Row {
        const char* results; // w won, l lost, d drawn
        const char* text;
        int games;
    };
    const Row rows[] = {
        {"", "0 × 0", 0},    {"d", "½ × ½", 1},   {"wwl", "2 × 1", 3},
        {"wd", "1½ × ½", 2}, {"ldd", "1 × 2", 3}, {"dddd", "2 × 2", 4},
    };
    for (const Row& r : rows) {
        MatchScore score;
        for (const char* c = r.results; *c; ++c) {
            if (*c == 'w') score.Won();
            if (*c == 'l') score.Lost();
            if (*c == 'd') score.Drawn();
        }
        EXPECT_EQ(score.Text(), QString::fromUtf8(r.text)) << r.results;
        EXPECT_EQ(score.Games(), r.games) << r.results;
    }
}

} // namespace
