// The caption texts of the feed page, as UTF-8. The application's language loader may replace them; every
// rendering reads them afresh.
#pragma once

#include <string>

namespace feeds {

extern std::string sUpdate;
extern std::string sUpdated;
extern std::string sVSource;
extern std::string sTop;

}  // namespace feeds
