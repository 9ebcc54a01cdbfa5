#pragma once

#include <libpq-fe.h>

#include <string>

// The functions of libpq that the line database calls. libpq is loaded when a CONNINFO is first
// read, not when the program starts: it brings OpenSSL, Kerberos and LDAP into the process,
// which a station without a line database never uses.
struct LibPq {
  decltype(&::PQconninfoParse) ConninfoParse;
  decltype(&::PQconndefaults) Conndefaults;
  decltype(&::PQconninfoFree) ConninfoFree;
  decltype(&::PQfreemem) Freemem;
  decltype(&::PQconnectStartParams) ConnectStartParams;
  decltype(&::PQconnectPoll) ConnectPoll;
  decltype(&::PQstatus) Status;
  decltype(&::PQerrorMessage) ErrorMessage;
  decltype(&::PQsetNoticeReceiver) SetNoticeReceiver;
  decltype(&::PQsetnonblocking) SetNonblocking;
  decltype(&::PQpass) Pass;
  decltype(&::PQfinish) Finish;
  decltype(&::PQsocket) Socket;
  decltype(&::PQconsumeInput) ConsumeInput;
  decltype(&::PQnotifies) Notifies;
  decltype(&::PQsendQueryParams) SendQueryParams;
  decltype(&::PQflush) Flush;
  decltype(&::PQisBusy) IsBusy;
  decltype(&::PQgetResult) GetResult;
  decltype(&::PQresultStatus) ResultStatus;
  decltype(&::PQresultErrorField) ResultErrorField;
  decltype(&::PQresultErrorMessage) ResultErrorMessage;
  decltype(&::PQntuples) Ntuples;
  decltype(&::PQnfields) Nfields;
  decltype(&::PQgetisnull) Getisnull;
  decltype(&::PQgetvalue) Getvalue;
  decltype(&::PQclear) Clear;
};

// libpq's functions from the library `soname`; false, with the reason in `why`, when it or one
// of the functions cannot be loaded. A library once loaded stays loaded.
bool LoadLibPqFrom(const char* soname, LibPq& functions, std::string& why);

// The system's libpq, loaded on the first call; nullptr when it cannot be, with the reason in
// `why` (the same at every call).
const LibPq* LibPqFunctions(std::string& why);
