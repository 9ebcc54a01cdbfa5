// The errno -> WinSock table and the reason texts that the debug list shows.
#include <gtest/gtest.h>
#include <netdb.h>

#include <cerrno>
#include <set>
#include <string>

#include "platform/posix/poll_event_loop.h"
#include "platform/posix/posix_socket_layer.h"
#include "platform/posix/winsock_errors.h"

namespace {

struct Mapping {
  int Errno;
  int WinSock;
};

// The numbers the program's texts and decisions depend on.
constexpr Mapping kRequired[] = {
    {EAGAIN, 10035},       {EWOULDBLOCK, 10035},   {EINPROGRESS, 10035}, {ENETDOWN, 10050},
    {ENETUNREACH, 10051},  {ECONNRESET, 10054},    {ETIMEDOUT, 10060},   {ECONNREFUSED, 10061},
    {EHOSTUNREACH, 10065}, {EADDRNOTAVAIL, 10049}, {EADDRINUSE, 10048},  {EACCES, 10013},
    {EMSGSIZE, 10040},     {EINVAL, 10022},        {EMFILE, 10024},      {ENOBUFS, 10055},
    {ENOTCONN, 10057},     {ECONNABORTED, 10053},  {EPIPE, 10058},       {EBADF, 10009},
    {ENOTSOCK, 10038},     {EALREADY, 10037},      {EISCONN, 10056},     {EPERM, 10013},
};

TEST(WinSockErrors, ErrnoValuesMapToTheirWinSockNumbersWithADistinctReasonEach) {
  std::set<std::string> texts;
  std::set<int> numbers;
  for (const Mapping& m : kRequired) {
    EXPECT_EQ(WinSockErrorFromErrno(m.Errno), m.WinSock) << "errno " << m.Errno;
    const std::string text = WinSockReasonText(m.WinSock);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find("Unknown"), std::string::npos) << m.WinSock;
    if (numbers.insert(m.WinSock).second) texts.insert(text);
  }
  EXPECT_EQ(texts.size(), numbers.size()) << "two numbers share a reason text";
  EXPECT_EQ(WinSockErrorFromErrno(0), 0);
}

TEST(WinSockErrors, TheLayerGivesTheReasonTextsTheProgramLogs) {
  PollEventLoop loop;
  PosixSocketLayer layer(loop);
  EXPECT_EQ(layer.GetReasonString(10035), "Operation would block");
  EXPECT_EQ(layer.GetReasonString(10061), "Connection refused");
  EXPECT_EQ(layer.GetReasonString(10054), "Connection reset by peer");
  EXPECT_EQ(layer.GetReasonString(10040), "Message too long");
  EXPECT_EQ(layer.GetReasonString(11001), "Host not found");
  EXPECT_EQ(TSocketError(layer, 10049, 10).GetReasonString(), "Cannot as");
}

TEST(WinSockErrors, UnmappedErrnoValuesKeepTheirNameAndUnknownNumbersTheirNumber) {
  const int error = WinSockErrorFromErrno(ENOSPC);
  EXPECT_EQ(error, kUnmappedErrnoBase + ENOSPC);
  EXPECT_LE(error, 0xFFFF) << "must fit the error half of a notification";
  EXPECT_NE(WinSockReasonText(error).find("ENOSPC"), std::string::npos);
  EXPECT_NE(WinSockReasonText(12345).find("12345"), std::string::npos);
}

TEST(WinSockErrors, NameLookUpResultsMapToTheHostErrors) {
  EXPECT_EQ(WinSockErrorFromAddrInfo(0, 0), 0);
  EXPECT_EQ(WinSockErrorFromAddrInfo(EAI_NONAME, 0), 11001);
  EXPECT_EQ(WinSockErrorFromAddrInfo(EAI_AGAIN, 0), 11002);
  EXPECT_EQ(WinSockErrorFromAddrInfo(EAI_FAIL, 0), 11003);
  EXPECT_EQ(WinSockErrorFromAddrInfo(EAI_NODATA, 0), 11004);
  EXPECT_EQ(WinSockErrorFromAddrInfo(EAI_SYSTEM, EMFILE), 10024);
}

}  // namespace
