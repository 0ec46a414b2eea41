#include "app/continuous_shoot/new_page_rule.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <string>
#include <vector>

#include "tests/app/desk_film.h"
#include "tests/support/message_log.h"
#include "tests/support/text_page.h"

namespace orbisk {
namespace {

using test::Desk;
using test::DeskShot;
using test::EmptyDesk;
using test::PageAt;
using V = NewPageVerdict;

std::string Name(V v) {
    switch (v) {
        case V::kShoot:
            return "shoot";
        case V::kNoDocument:
            return "no document";
        case V::kSameDocument:
            return "same document";
        case V::kMoving:
            return "moving";
    }
    return "?";
}

TEST(NewPageRule, DecidesOnPresenceAndTheTwoComparisons) {
    struct Row {
        bool present, sameAsThreeAgo, sameAsTwoAgo;
        V verdict;
    };
    const Row rows[] = {
        {false, false, false, V::kNoDocument},
        {false, true, true, V::kNoDocument},
        {false, false, true, V::kNoDocument},
        {true, false, true, V::kShoot},
        {true, true, true, V::kSameDocument},
        {true, false, false, V::kMoving},
        // Changed back to what it was three cycles ago: still moving.
        {true, true, false, V::kMoving},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(DecideNewPage(r.present, r.sameAsThreeAgo, r.sameAsTwoAgo), r.verdict)
            << r.present << r.sameAsThreeAgo << r.sameAsTwoAgo;
    }
}

// One cycle of a script: what the camera shows and what the rule must say
// (`either` also allows the second verdict, for frames of a page in motion,
// where detection may or may not see it yet).
struct Step {
    DeskShot shot;
    V verdict;
    V either;
};

Step Expect(DeskShot shot, V verdict) { return {shot, verdict, verdict}; }
Step InMotion(DeskShot shot) { return {shot, V::kMoving, V::kNoDocument}; }

void Play(const std::vector<Step>& script) {
    test::DeskFilm film;
    NewPageInspector inspector;
    for (size_t cycle = 0; cycle < script.size(); ++cycle) {
        const Step& step = script[cycle];
        const V got = inspector.Inspect(film.Frame(step.shot, static_cast<unsigned>(cycle)));
        EXPECT_TRUE(got == step.verdict || got == step.either)
            << "cycle " << cycle << ": " << Name(got) << ", expected " << Name(step.verdict);
    }
}

TEST(NewPageInspector, CapturesEachPageOnceAfterItHasLainStillForTwoCycles) {
    const DeskShot first = PageAt(1);
    const DeskShot second = PageAt(2, {760, 620}, 4);
    const DeskShot third = PageAt(3, {840, 580}, -3);
    Play({
        Expect(Desk(), V::kNoDocument),
        Expect(Desk(), V::kNoDocument),
        Expect(Desk(), V::kNoDocument),
        // Slides in from the left and stops.
        InMotion(PageAt(1, {150, 600})),
        InMotion(PageAt(1, {450, 600})),
        Expect(first, V::kMoving),  // still from here on
        Expect(first, V::kMoving),
        Expect(first, V::kShoot),
        Expect(first, V::kSameDocument),
        Expect(first, V::kSameDocument),
        Expect(first, V::kSameDocument),
        // Taken away.
        Expect(Desk(), V::kNoDocument),
        Expect(Desk(), V::kNoDocument),
        // The next page laid down at once.
        Expect(second, V::kMoving),
        Expect(second, V::kMoving),
        Expect(second, V::kShoot),
        Expect(second, V::kSameDocument),
        // Swapped for a third page without the desk showing between them.
        Expect(third, V::kMoving),
        Expect(third, V::kMoving),
        Expect(third, V::kShoot),
        Expect(third, V::kSameDocument),
        Expect(third, V::kSameDocument),
    });
}

TEST(NewPageInspector, APageAlreadyThereAtTheStartIsCapturedOnce) {
    // The history starts empty, which matches no frame.
    Play({
        Expect(PageAt(1), V::kMoving),
        Expect(PageAt(1), V::kMoving),
        Expect(PageAt(1), V::kShoot),
        Expect(PageAt(1), V::kSameDocument),
        Expect(PageAt(1), V::kSameDocument),
    });
}

TEST(NewPageInspector, AnEmptyDeskForAMinuteCapturesNothing) {
    // 75 cycles of 800 ms.
    for (EmptyDesk desk : {EmptyDesk::PlainDark, EmptyDesk::Wood}) {
        SCOPED_TRACE(static_cast<int>(desk));
        Play(std::vector<Step>(75, Expect(Desk(desk), V::kNoDocument)));
    }
}

TEST(NewPageInspector, APageOfTextSwappedForAnotherInTheSamePlaceIsCapturedEachTime) {
    // Pages of a book laid one after the other in the same place, under light
    // that flickers by a few percent from frame to frame.
    const double light[] = {1.0, 0.96, 1.04, 0.98, 1.03};
    NewPageInspector inspector;
    std::vector<V> verdicts;
    unsigned frame = 0;
    for (unsigned page = 0; page < 3; ++page) {
        const cv::Mat picture = test::TextPage(page);
        for (int cycle = 0; cycle < 5; ++cycle, ++frame) {
            verdicts.push_back(
                inspector.Inspect(test::CameraFrame(picture, frame, 3, light[frame % 5])));
        }
    }
    const std::vector<V> once = {V::kMoving, V::kMoving, V::kShoot, V::kSameDocument,
                                 V::kSameDocument};
    std::vector<V> expected;
    for (int page = 0; page < 3; ++page) expected.insert(expected.end(), once.begin(), once.end());
    ASSERT_EQ(verdicts.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Name(verdicts[i]), Name(expected[i])) << "cycle " << i;
    }
}

TEST(NewPageInspector, NoFrameMeansNoDocument) {
    NewPageInspector inspector;
    for (int cycle = 0; cycle < 4; ++cycle) EXPECT_EQ(inspector.Inspect(cv::Mat()), V::kNoDocument);
}

TEST(PostVerdict, AShotAsksTheOwnerAndTellsTheDialog) {
    using platform::WM_SHOOT_REQUEST;
    using platform::WM_SHOOT_STATUS;
    using Posted = test::MessageLog::Posted;
    test::MessageLog owner, dialog;
    for (V v : {V::kShoot, V::kMoving, V::kNoDocument, V::kSameDocument}) {
        PostVerdict(v, &owner, &dialog);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.posted, (std::vector<Posted>{{WM_SHOOT_REQUEST, 0, 0}}));
    EXPECT_EQ(dialog.posted,
              (std::vector<Posted>{
                  {WM_SHOOT_STATUS, 0, 0}, {WM_SHOOT_STATUS, 0, 1}, {WM_SHOOT_STATUS, 0, 2}}));
}

}  // namespace
}  // namespace orbisk
