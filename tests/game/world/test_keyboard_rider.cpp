// A person riding the sample tree with the keyboard: the default player craft alone on every rally
// course, one lap, steered through the arrow keys only by a rider who sees the craft a moment late.
// The rider aims at the next gate (at the one after once within reach of it and nearly lined up),
// taps Left or Right when the aim is off and holds the throttle. Two riders: one 300 ms late who
// rides from what it sees, and one 200 ms late who anticipates, carrying what it sees on by the
// craft's velocity and rate of turn. The late rider finishes most laps within three times the
// computer rider's time and is never thrown more than three times a lap; the anticipating one meets
// the bank and is thrown rarely, on average over the courses. This holds the levels' water wide and
// open enough for the craft at speed, and their gates few, on long straight legs.
//
// The late rider overshoots: at the default craft's rate of turn a key held until the aim looks
// lined up has turned it far past, and once off his line he weaves on, sometimes round a gate for
// good. Which laps he finishes turns on small things, so the bound leaves him a lap or two.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/input.h"
#include "engine/core/maths.h"
#include "engine/core/object.h"
#include "engine/core/process.h"
#include "engine/core/timer.h"
#include "game/race/game_modes.h"
#include "game/state/level_names.h"
#include "game/state/race_state.h"
#include "game/world/gate_list.h"
#include "game/world/player_control.h"
#include "game/world/watercraft.h"
#include "platform/test/plat_input.h"
#include "tests/game/world/rally_fixture.h"

namespace {

constexpr int32_t kKeyUp = 171, kKeyLeft = 172, kKeyRight = 173;
constexpr int32_t kDefaultModel = 2;
constexpr int32_t kRallyCourses = 5;
constexpr uint32_t kLapTicks = 60000;
constexpr double kTicksPerSecond = 59.8;
constexpr double kDegree = 4096.0 / 360.0;  // angle units
constexpr float kReachGate = 10000.0f;
constexpr double kLinedUp = 20.0 * kDegree;
constexpr double kAimSlack = 6.0 * kDegree;

constexpr uint32_t Ticks(uint32_t ms) { return static_cast<uint32_t>(ms * kTicksPerSecond / 1000.0 + 0.5); }
constexpr uint32_t kShortestPress = Ticks(100);
constexpr uint32_t kShortestGap = Ticks(50);

// What the rider sees of the craft on one tick.
struct Sight {
  float x, z;
  Point4 velocity;  // per craft call, 2 ticks
  int32_t yaw;
  GateRecord* gate;
};

struct RiderKind {
  uint32_t lateTicks;
  bool anticipates;
};

struct Lap {
  bool finished;
  uint32_t ticks;
  int throws;
  int contacts;
  double Minutes() const { return ticks / kTicksPerSecond / 60.0; }
};

void Hold(int32_t key, bool held) { plat_TestSetKeyHeld(wre_KeyCodeToVK(key), held); }

Point4 GateCentre(const GateRecord* gate) {
  if (!gate->markerA || !gate->markerB) return gate->centre;
  const float* a = gate->markerA->transform.position;
  const float* b = gate->markerB->transform.position;
  return Point4{0.5f * (a[0] + b[0]), 0.0f, 0.5f * (a[2] + b[2]), 0.0f};
}

// The aim's angle off the nose, positive to the right (a Right key turns the yaw up).
double AimOff(float x, float z, double yaw, const Point4& at) {
  double off = wre_AngleFromAtan2(at.x - x, at.z - z) - yaw;
  while (off > 2048.0) off -= 4096.0;
  while (off < -2048.0) off += 4096.0;
  return off;
}

// Presses and releases the steering keys from the craft as seen a few ticks late.
class KeyboardRider {
 public:
  explicit KeyboardRider(RiderKind kind) : kind_(kind) {}

  void Decide(const std::vector<Sight>& seen, uint32_t now) {
    const size_t last = seen.size() - 1;
    const size_t at = last > kind_.lateTicks ? last - kind_.lateTicks : 0;
    const Sight& s = seen[at];
    float x = s.x, z = s.z;
    double yaw = s.yaw;
    if (kind_.anticipates) {
      const float calls = 0.5f * static_cast<float>(kind_.lateTicks);
      x += s.velocity.x * calls;
      z += s.velocity.z * calls;
      if (at >= 2) yaw += 0.5 * wre_AngleDelta(seen[at - 2].yaw, s.yaw) * kind_.lateTicks;
    }
    const GateRecord* gate = s.gate;
    Point4 aim = GateCentre(gate);
    const float dx = aim.x - x, dz = aim.z - z;
    if (std::sqrt(dx * dx + dz * dz) < kReachGate && std::fabs(AimOff(x, z, yaw, aim)) < kLinedUp)
      aim = GateCentre(GateListNext(const_cast<GateRecord*>(gate), nullptr));
    const double off = AimOff(x, z, yaw, aim);
    const int32_t want = off > kAimSlack ? kKeyRight : off < -kAimSlack ? kKeyLeft : 0;

    if (held_ && (now - pressed_ < kShortestPress || want == held_)) return;
    if (held_) {
      Hold(held_, false);
      Released(held_) = now;
      held_ = 0;
    }
    if (want && now - Released(want) >= kShortestGap) {
      Hold(want, true);
      held_ = want;
      pressed_ = now;
    }
  }

 private:
  uint32_t& Released(int32_t key) { return released_[key == kKeyRight ? 1 : 0]; }

  RiderKind kind_;
  int32_t held_ = 0;
  uint32_t pressed_ = 0;
  uint32_t released_[2] = {0, 0};
};

class KeyboardRiderTest : public RallyFixture, public ::testing::WithParamInterface<int32_t> {
 protected:
  void SetUp() override {
    RallyFixture::SetUp();
    wre_InputInit();
  }
  void TearDown() override {
    plat_TestInputReset();
    RallyFixture::TearDown();
  }

  // The course set up with the player craft alone: ridden by the computer rider without a rider,
  // else by the rider through the keys. The lap ends when every gate is passed or after the limit.
  void RideLap(int32_t level, int32_t course, const RiderKind* kind, uint32_t limit, Lap* lap) {
    gSettings.opponentCount = kind ? 0 : -1;
    gSettings.playerModel = kDefaultModel;
    gSettings.keyThrottle = kKeyUp;
    gSettings.keyLeft = kKeyLeft;
    gSettings.keyRight = kKeyRight;
    gPaused = 0;
    gQuitPrompt = 0;
    plat_TestInputReset();
    int gateCount = 0;
    ASSERT_NO_FATAL_FAILURE(StartRally(level, course, static_cast<uint32_t>(course + 1), &gateCount));
    Watercraft* craft = gCraftByIndex[0];
    ASSERT_NE(craft, nullptr);
    ProcessNode* control = nullptr;
    ASSERT_EQ(wre_ProcessCreateWithArg(PlayerControlProcess, &control, &view, 2), 0);
    Hold(kKeyUp, true);

    KeyboardRider rider(kind ? *kind : RiderKind{});
    std::vector<Sight> seen;
    GateRecord* gate = craft->nextGate;
    uint8_t flags = craft->flags;
    int passed = 0;
    *lap = Lap{};
    const uint32_t start = gEngineTick;
    while (passed < gateCount && gEngineTick - start < limit) {
      ++gEngineTick;
      const float* p = craft->craftObject->transform.position;
      seen.push_back(Sight{p[0], p[2], craft->physics.velocity, craft->craftObject->transform.angleY, craft->nextGate});
      if (kind) rider.Decide(seen, gEngineTick);
      ASSERT_EQ(wre_ProcessListRun(1, 0), 0);
      if (craft->nextGate != gate) {
        gate = craft->nextGate;
        ++passed;
      }
      const uint8_t rising = craft->flags & ~flags;
      flags = craft->flags;
      lap->throws += (rising & kCraftRiderThrown) ? 1 : 0;
      lap->contacts += (rising & kCraftOnGround) ? 1 : 0;
    }
    lap->finished = passed >= gateCount;
    lap->ticks = gEngineTick - start;

    plat_TestInputReset();
    wre_ProcessDispose(control);
    EndRally();
  }
};

// The levels are ridden in two halves, one case each; each half's rates held to the bounds hold
// the rates over all the courses to them.
constexpr int32_t kLevelsPerCase = kLevelCount / 2;
constexpr int kLateFinishedPerCase = 20;  // of 25

TEST_P(KeyboardRiderTest, RidesEveryRallyCourseOfHalfTheLevels) {
  const RiderKind late{Ticks(300), false};
  const RiderKind anticipating{Ticks(200), true};
  int finished = 0, contacts = 0, throws = 0;
  double minutes = 0.0;
  for (int32_t level = GetParam() * kLevelsPerCase; level < (GetParam() + 1) * kLevelsPerCase; ++level) {
    for (int32_t course = 0; course < kRallyCourses; ++course) {
      SCOPED_TRACE(std::string(LevelWord(level)) + " course " + std::to_string(course + 1));
      Lap computer{}, lateLap{}, ahead{};
      RideLap(level, course, nullptr, kLapTicks, &computer);
      ASSERT_TRUE(computer.finished);
      RideLap(level, course, &late, 3 * computer.ticks, &lateLap);
      RideLap(level, course, &anticipating, 3 * computer.ticks, &ahead);
      std::printf("%-8s c%d computer %5u ticks | 300 ms late: %s %.2fx, %d throws, %d contacts, %.2f min | 200 ms "
                  "anticipating: %s %.2fx, %d throws, %d contacts, %.2f min\n",
                  LevelWord(level), course + 1, computer.ticks, lateLap.finished ? "finished" : "unfinished",
                  static_cast<double>(lateLap.ticks) / computer.ticks, lateLap.throws, lateLap.contacts,
                  lateLap.Minutes(), ahead.finished ? "finished" : "unfinished",
                  static_cast<double>(ahead.ticks) / computer.ticks, ahead.throws, ahead.contacts, ahead.Minutes());
      EXPECT_LE(lateLap.throws, 3);
      finished += lateLap.finished ? 1 : 0;
      contacts += ahead.contacts;
      throws += ahead.throws;
      minutes += ahead.Minutes();
    }
  }
  std::printf("300 ms late: %d of %d laps finished | 200 ms anticipating: %.2f contacts and %.2f throws a minute "
              "over %.2f min\n",
              finished, kLevelsPerCase * kRallyCourses, contacts / minutes, throws / minutes, minutes);
  EXPECT_GE(finished, kLateFinishedPerCase);
  EXPECT_LE(contacts / minutes, 2.5);
  EXPECT_LE(throws / minutes, 0.6);
}

INSTANTIATE_TEST_SUITE_P(Levels, KeyboardRiderTest, ::testing::Range(0, 2),
                         [](const ::testing::TestParamInfo<int32_t>& info) {
                           return std::string(LevelWord(info.param * kLevelsPerCase)) + "_to_" +
                                  LevelWord(info.param * kLevelsPerCase + kLevelsPerCase - 1);
                         });

}  // namespace
