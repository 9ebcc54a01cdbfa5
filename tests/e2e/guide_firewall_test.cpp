// The firewall commands of the user guide, run as they are written there on a PC namespace whose
// firewall lets in only the answers to the PC's own connections: before them the search finds
// nothing and says why; after them it finds the modules, and the terminal connects.
#include <fstream>

#include "resources/control_ids.h"
#include "tests/e2e/program_lab.h"

namespace {

// The commands of the guide's block "```sh TAG", without comments and without "sudo ".
std::vector<std::string> GuideCommands(const std::string& tag) {
  std::vector<std::string> commands;
  for (std::string line : GuideBlock(tag)) {
    if (line.empty() || line.starts_with("#")) continue;
    if (line.starts_with("sudo ")) line.erase(0, 5);
    commands.push_back(line);
  }
  return commands;
}

class GuideFirewallTest : public ProgramLab {
 protected:
  // Until the program says that its search went unanswered, and has listed nothing.
  void ExpectSilenced() {
    const std::string line = "Vellora: A firewall may drop the replies: let UDP from port 8003 in.";
    ASSERT_TRUE(Until([&] { return Program->Contains(line); }, 8000));
    EXPECT_TRUE(Program->Contains("Vellora: No module answered the search from 10.88.1.1."));
    EXPECT_FALSE(Received(*SimA, "SearchRequest").empty());  // the modules did hear it
    EXPECT_TRUE(Program->Combo(IdGatewayCombo).empty());
  }
  // A new search finds the three modules.
  void ExpectFound() {
    Program->Click(IdSearchButton);
    ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 3; }));
  }

  const std::string InPc = "ip netns exec " + Pc + " ";
};

TEST_F(GuideFirewallTest, TheNftablesCommandLetsTheRepliesInAndTheTerminalConnects) {
  const std::vector<std::string> commands = GuideCommands("nftables");
  ASSERT_FALSE(commands.empty()) << "no ```sh nftables block in the guide";
  if (!Shell(InPc + "nft --version")) GTEST_SKIP() << "needs nftables";
  // Debian's /etc/nftables.conf, with the input policy drop.
  Restore remove{{InPc + "nft delete table inet filter"}};
  ASSERT_TRUE(Shell(InPc + "nft add table inet filter"));
  ASSERT_TRUE(Shell(InPc + "nft 'add chain inet filter input { type filter hook input priority 0; "
                           "policy drop; }'"));
  ASSERT_TRUE(Shell(InPc + "nft add rule inet filter input ct state established,related accept"));
  StartSimulatorA({"--tcp-mode", "status", "--interval-ms", "50"});
  StartProgram();
  ASSERT_NO_FATAL_FAILURE(ExpectSilenced());

  for (const std::string& command : commands)
    ASSERT_TRUE(Shell(InPc + command)) << command;
  ASSERT_NO_FATAL_FAILURE(ExpectFound());
  Program->Click(IdExpandButton);
  Program->Click(IdConnectButton);
  EXPECT_TRUE(Until([&] { return Program->Contains("Vellora: Socket connected"); }));
}

// ufw keeps its state in /etc/ufw and /etc/default/ufw, in the file system that a network
// namespace shares with the host, and locks /run/ufw.lock: it runs here in a mount namespace
// of its own, on copies of them and a /run of its own, so that nothing of the host's changes.
TEST_F(GuideFirewallTest, TheUfwCommandLetsInTheRepliesSentByBroadcast) {
  const std::vector<std::string> commands = GuideCommands("ufw");
  ASSERT_FALSE(commands.empty()) << "no ```sh ufw block in the guide";
  if (!Shell("ufw --version")) GTEST_SKIP() << "needs ufw";
  const std::string copies = Folder.Path();
  ASSERT_TRUE(Shell("cp -a /etc/ufw " + copies + "/ufw && cp -a /etc/default/ufw " + copies +
                    "/default-ufw"));
  // The host's ufw state, as a checksum of its files.
  const auto hostState = [&] {
    Shell("sh -c 'tar -cf - /etc/ufw /etc/default/ufw 2>/dev/null | md5sum >" + copies + "/state'");
    return ReadFileBytes(copies + "/state");
  };
  const std::string before = hostState();
  ASSERT_FALSE(before.empty());
  // Writes the lines as a script that runs them on the copies and yields the command that
  // runs it in the PC namespace.
  const auto ufw = [&](const std::string& name, const std::vector<std::string>& lines) {
    std::ofstream script(copies + "/" + name);
    script << "set -e\nmount --bind " << copies << "/ufw /etc/ufw\nmount --bind " << copies
           << "/default-ufw /etc/default/ufw\nmount -t tmpfs tmpfs /run\n";
    for (const std::string& line : lines)
      script << line << '\n';
    return InPc + "unshare --mount --propagation private sh " + copies + "/" + name;
  };
  Restore disable{{ufw("disable.sh", {"ufw disable"})}};  // the namespace ends without ufw

  ASSERT_TRUE(Shell(ufw("enable.sh", {"ufw default deny incoming", "ufw --force enable"})));
  StartSimulatorA({"--reply", "broadcast"});
  StartProgram();
  ASSERT_NO_FATAL_FAILURE(ExpectSilenced());

  ASSERT_TRUE(Shell(ufw("guide.sh", commands)));
  EXPECT_EQ(hostState(), before) << "ufw changed the host's /etc/ufw or /etc/default/ufw";
  ASSERT_NO_FATAL_FAILURE(ExpectFound());
}

}  // namespace
