#pragma once

#include <vector>

// The line database's tables and functions, in the schema "vellora", and the steps that make
// them. Each step brings the schema from the version before it to its own; a released step is
// never changed, a later version appends one. vellora.schema_version holds the version made.
struct SchemaStep {
  int Version;
  std::vector<const char*> Statements;
};

// Every step, oldest first.
const std::vector<SchemaStep>& SchemaSteps();
// The version this program reads and writes: the last step's.
int SchemaVersion();

// The name of the role whose members are the stations, and the statements that give it its
// rights (run by every init, so that a role made after the schema gets them too): to read the
// pools and the record, and to change them only through the functions below. A station can so
// neither set a pool's next number nor rewrite a row.
inline constexpr const char* kStationsRole = "vellora_station";
const std::vector<const char*>& StationGrants();
