#include "line/libpq_library.h"

#include <dlfcn.h>

namespace {

template <typename Function>
bool Take(void* library, const char* name, Function& function, std::string& why) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  if (function) return true;
  why = std::string("it has no ") + name;
  return false;
}

}  // namespace

bool LoadLibPqFrom(const char* soname, LibPq& f, std::string& why) {
  void* library = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* error = dlerror();
    why = error ? error : std::string(soname) + " cannot be loaded";
    return false;
  }
  const bool all =
      Take(library, "PQconninfoParse", f.ConninfoParse, why) &&
      Take(library, "PQconndefaults", f.Conndefaults, why) &&
      Take(library, "PQconninfoFree", f.ConninfoFree, why) &&
      Take(library, "PQfreemem", f.Freemem, why) &&
      Take(library, "PQconnectStartParams", f.ConnectStartParams, why) &&
      Take(library, "PQconnectPoll", f.ConnectPoll, why) &&
      Take(library, "PQstatus", f.Status, why) &&
      Take(library, "PQerrorMessage", f.ErrorMessage, why) &&
      Take(library, "PQsetNoticeReceiver", f.SetNoticeReceiver, why) &&
      Take(library, "PQsetnonblocking", f.SetNonblocking, why) &&
      Take(library, "PQpass", f.Pass, why) && Take(library, "PQfinish", f.Finish, why) &&
      Take(library, "PQsocket", f.Socket, why) &&
      Take(library, "PQconsumeInput", f.ConsumeInput, why) &&
      Take(library, "PQnotifies", f.Notifies, why) &&
      Take(library, "PQsendQueryParams", f.SendQueryParams, why) &&
      Take(library, "PQflush", f.Flush, why) && Take(library, "PQisBusy", f.IsBusy, why) &&
      Take(library, "PQgetResult", f.GetResult, why) &&
      Take(library, "PQresultStatus", f.ResultStatus, why) &&
      Take(library, "PQresultErrorField", f.ResultErrorField, why) &&
      Take(library, "PQresultErrorMessage", f.ResultErrorMessage, why) &&
      Take(library, "PQntuples", f.Ntuples, why) && Take(library, "PQnfields", f.Nfields, why) &&
      Take(library, "PQgetisnull", f.Getisnull, why) &&
      Take(library, "PQgetvalue", f.Getvalue, why) && Take(library, "PQclear", f.Clear, why);
  if (!all) {
    why = std::string(soname) + ": " + why;
    dlclose(library);
  }
  return all;
}

const LibPq* LibPqFunctions(std::string& why) {
  struct Loaded {
    LibPq Functions{};
    std::string Why;
    bool Ok = false;
  };
  // Loaded once for the process, as the library itself is; unchanged afterwards.
  static const Loaded kLoaded = [] {
    Loaded result;
    result.Ok = LoadLibPqFrom("libpq.so.5", result.Functions, result.Why);
    return result;
  }();
  if (kLoaded.Ok) return &kLoaded.Functions;
  why = "the PostgreSQL client library cannot be loaded (" + kLoaded.Why + "); install libpq5";
  return nullptr;
}
