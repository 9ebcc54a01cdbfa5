// The list of gateways found, on its own: first reply wins, 20 at most, a clear leaves nothing.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/sample_record.h"
#include "udp/gateway_list.h"

TEST(GatewayListTest, TakesTheFirstReplyOfEachMacWhileThereIsRoom) {
  GatewayList list;
  GatewayRecord first = SampleRecord();
  EXPECT_EQ(list.Add(first), GatewayList::Taken::New);
  GatewayRecord later = first;
  std::strcpy(later.Name, "later");
  EXPECT_EQ(list.Add(later), GatewayList::Taken::Known);
  EXPECT_STREQ(list.At(0).Name, "line-3-station-12");
  EXPECT_EQ(list.MacTextAt(0), "02 00 00 12 34 56");
  for (std::uint8_t i = 1; i < GatewayList::kCapacity; ++i)
    EXPECT_EQ(list.Add(RecordWithMac(i)), GatewayList::Taken::New);
  EXPECT_EQ(list.Add(RecordWithMac(0xEE)), GatewayList::Taken::Full);
  EXPECT_EQ(list.Add(RecordWithMac(7)), GatewayList::Taken::Known);
  EXPECT_EQ(list.Count(), 20);

  // What "Set" stores stays until the next clear; only listed gateways take it.
  list.Replace(3, later);
  list.Replace(20, later);
  EXPECT_STREQ(list.At(3).Name, "later");
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  for (int i = 0; i < GatewayList::kCapacity; ++i)
    EXPECT_EQ(std::memcmp(&list.At(i), &kEmptyGatewayRecord, sizeof(GatewayRecord)), 0) << i;
}
