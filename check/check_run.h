// One run of the checker over a launcher file (every model it maps) or one settings file.
#ifndef CHECK_CHECK_RUN_H
#define CHECK_CHECK_RUN_H

#include <functional>
#include <string>

#include "check/findings.h"
#include "check/model_check.h"

struct CheckOptions {
  std::string path;           // as typed
  std::string stationFolder;  // as typed; empty: found from the path
};

// Called after each model is checked, while the station's records still hold it.
using ModelVisitor = std::function<void(ModelCheck& model, size_t firstFinding)>;

// False when the path cannot be read (nothing was checked).
bool runCheck(const CheckOptions& options, FindingList& findings, const ModelVisitor& visit);

#endif
