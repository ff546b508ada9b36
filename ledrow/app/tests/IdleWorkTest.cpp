#include "ledrow/app/IdleWork.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace addrbook;

namespace {

// Runs what it is posted only when the test says so, as a message loop
// would, and records the work done.
struct Owner : IdleWork::Owner {
  IdleWork work{this};
  int posted = 0;
  std::vector<std::string> done;
  std::function<void()> duringAdd;
  void postRun() override { posted++; }
  void reload() override { done.push_back("reload"); }
  void addConnection(std::unique_ptr<EncryptedConfig> connection) override {
    done.push_back(connection->getHost());
    if (duringAdd) {
      auto nested = std::move(duringAdd);
      nested();
    }
  }
  void runPosted() {
    while (posted > 0) {
      posted--;
      work.run();
    }
  }
  void send(const char* host) {
    std::unique_ptr<EncryptedConfig> c(new EncryptedConfig);
    c->setHost(host);
    work.queueConnection(std::move(c));
  }
};

} // namespace

TEST(IdleWork, NothingRunsWhileNodesAreHeld) {
  Owner owner;
  {
    IdleWork::Hold hold(owner.work);
    owner.work.requestReload();
    owner.send("first");
    // A modal loop dispatches whatever was posted before the hold.
    owner.work.run();
    EXPECT_TRUE(owner.done.empty());
    EXPECT_EQ(0, owner.posted);
  }
  EXPECT_EQ(1, owner.posted);
  owner.runPosted();
  EXPECT_EQ((std::vector<std::string>{"reload", "first"}), owner.done);
}

TEST(IdleWork, ConnectionsAreAddedOneAtATimeInTheirOrder) {
  Owner owner;
  owner.send("first");
  // While the first one's dialogs run, two more arrive and a reload is
  // asked for; the loop of the dialog runs what is posted.
  owner.duringAdd = [&] {
    owner.send("second");
    owner.send("third");
    owner.work.requestReload();
    owner.runPosted();
  };
  owner.runPosted();
  EXPECT_EQ((std::vector<std::string>{"first", "reload", "second", "third"}), owner.done);
  EXPECT_EQ(0u, owner.work.queuedConnections());
}

TEST(IdleWork, ConnectionsWaitingAreBounded) {
  Owner owner;
  owner.send("first");
  std::vector<bool> kept;
  owner.duringAdd = [&] {
    for (int i = 0; i < IdleWork::MaxWaitingConnections + 2; i++) {
      std::unique_ptr<EncryptedConfig> c(new EncryptedConfig);
      c->setHost(("waiting " + std::to_string(i)).c_str());
      kept.push_back(owner.work.queueConnection(std::move(c)));
    }
    EXPECT_EQ((size_t)IdleWork::MaxWaitingConnections, owner.work.queuedConnections());
  };
  owner.runPosted();
  ASSERT_EQ(IdleWork::MaxWaitingConnections + 1u, owner.done.size());
  EXPECT_EQ("waiting 0", owner.done[1]);
  // The newest took the last place.
  EXPECT_EQ("waiting " + std::to_string(IdleWork::MaxWaitingConnections + 1), owner.done.back());
  EXPECT_EQ(std::count(kept.begin(), kept.end(), false), 2);
}
