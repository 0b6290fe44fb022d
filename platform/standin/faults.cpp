// One log of platform calls and one decision whether a call fails, for every function alike,
// so that a sweep can fail each call of a whole run in turn.
#include "platform/standin/faults.h"

#include <map>
#include <string>
#include <vector>

#include "platform/standin/control.h"
#include "platform/standin/reset.h"

namespace {

struct FunctionFault {
    int nth;
    bool persist;
    int seen;  // calls of the function since the fault was set
};

std::vector<std::string> callLog;
long failCallNumber = 0;
bool failCallPersist = false;
std::map<std::string, FunctionFault> functionFaults;

}  // namespace

namespace standin::internal {

void LogCall(const char* function) { callLog.push_back(function); }

bool CallFails(const char* function, DWORD error) {
    LogCall(function);
    long number = static_cast<long>(callLog.size());
    bool fails = failCallNumber > 0 &&
                 (number == failCallNumber || (failCallPersist && number > failCallNumber));
    auto fault = functionFaults.find(function);
    if (fault != functionFaults.end()) {
        int seen = ++fault->second.seen;
        if (seen == fault->second.nth || (fault->second.persist && seen > fault->second.nth)) {
            fails = true;
        }
    }
    if (fails) {
        SetLastError(error);
    }
    return fails;
}

void ResetFaults() {
    callLog.clear();
    standin::ClearFaults();
}

}  // namespace standin::internal

namespace standin {

const std::vector<std::string>& CallLog() { return callLog; }

void FailCallNumber(long n, bool persist) {
    failCallNumber = n > 0 ? n : 0;
    failCallPersist = persist;
}

void FailFunction(const std::string& function, int nth, bool persist) {
    if (nth <= 0) {
        functionFaults.erase(function);
        return;
    }
    functionFaults[function] = FunctionFault{nth, persist, 0};
}

void ClearFaults() {
    failCallNumber = 0;
    failCallPersist = false;
    functionFaults.clear();
}

}  // namespace standin
