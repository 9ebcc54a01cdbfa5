#include "station/pool_give.h"

#include "protocol/text_values.h"

namespace {

std::uint32_t SerialOfMac(const MacAddress& mac) {
  return static_cast<std::uint32_t>(mac[3]) << 16 | static_cast<std::uint32_t>(mac[4]) << 8 |
         mac[5];
}

}  // namespace

PoolGive::PoolGive(LineDatabase& line, const StationIo& io, const LinePlace& place,
                   std::string action, const GatewayRecord& module, const MacStart& prefix,
                   MacUser inUse)
    : Line(line),
      Io(io),
      Place(place),
      Action(std::move(action)),
      Module(module),
      Prefix(prefix),
      InUse(std::move(inUse)),
      TheWrite(&line, io, place, "assign", module) {}

void PoolGive::Start(Done done) {
  Callback = std::move(done);
  Line.NextNumber(Prefix, [alive = std::weak_ptr<char>(Alive),
                           this](const LineReply<std::optional<std::uint32_t>>& next) {
    if (!alive.expired()) Checked(next);
  });
}

void PoolGive::SayNotSent(const std::string& message) {
  Io.Say(Io.Speaker + ": SetMacRequest not sent: " + message +
         (message.find(Line.Server()) == std::string::npos
              ? " (the line database " + Line.Server() + ")"
              : ""));
}

void PoolGive::Checked(const LineReply<std::optional<std::uint32_t>>& next) {
  if (!next.Ok()) {
    SayNotSent(next.Message);
    return Finish({});
  }
  if (next.Value) {  // else the take says that the pool is empty, or that there is none
    const SetAndIncrOutcome checked = SetAndIncrForNumber(Module, Prefix, *next.Value, InUse);
    if (checked.Command.Refused) {
      const Refusal refusal = *checked.Command.Refused;
      return TheWrite.Refuse(refusal.Line, MacOfSerial(Prefix, *next.Value), [this, refusal](bool) {
        Finish({GivenNumber::End::Refused, {}, refusal});
      });
    }
  }
  // A record that cannot be written stops the give before a number is taken.
  if (!Io.NoteDurably(Io.Speaker + ": " + Action + " takes the next number of " +
                      PrefixText(Prefix) + " from the line database " + Line.Server() + " for " +
                      ColonMac(MacOf(Module))))
    return Finish({});

  TakeRequest request;
  request.Prefix = Prefix;
  request.Place = Place;
  request.Command = "assign";
  request.MacBefore = MacOf(Module);
  request.Request = [made = Made, module = Module, prefix = Prefix,
                     inUse = InUse](const MacAddress& mac) {
    *made = SetAndIncrForNumber(module, prefix, SerialOfMac(mac), inUse);
    return made->Command.Request;
  };
  Line.TakeNumber(std::move(request),
                  [alive = std::weak_ptr<char>(Alive), this](const LineReply<TakenNumber>& taken) {
                    if (!alive.expired()) Taken(taken);
                  });
}

void PoolGive::Taken(const LineReply<TakenNumber>& taken) {
  if (!taken.Ok()) {
    SayNotSent(taken.Message);
    // A take answered, whose request was not known to be stored: its row says so if it can.
    if (taken.Value.RecordId == 0) return Finish({});
    TheWrite.Adopt(taken.Value.RecordId);
    return TheWrite.NotSent("the request was not known to be stored in the row, so it was not sent",
                            [this](bool) { Finish({}); });
  }
  TheWrite.Adopt(taken.Value.RecordId);
  const MacAddress given = taken.Value.Mac;
  const std::string number = Io.Speaker + ": the number " + std::to_string(taken.Value.Serial) +
                             " (" + ColonMac(given) + ") of " + PrefixText(Prefix);
  if (Made->Command.Refused) {
    const Refusal refusal = *Made->Command.Refused;
    return TheWrite.Refuse(refusal.Line, {}, [this, number, refusal](bool) {
      Io.Say(number + " was taken before it was refused: it is used up and never given again");
      Finish({GivenNumber::End::Refused, {}, refusal});
    });
  }
  TheWrite.Deliver(Made->Command.Request, [this, number, given](bool sent) {
    if (!sent) {
      Io.Say(number + " was taken but not sent, and is never given again");
      return Finish({});
    }
    Finish({GivenNumber::End::Sent, given, {}});
  });
}

void PoolGive::Finish(GivenNumber given) {
  Ended = true;
  if (Callback) Callback(given);
}
