// The reply body of the Master Server.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "LabOptions.h"

namespace corvanelab {

struct ListedHost {
    std::string address;
    std::uint16_t port = 0;
    std::string guid2002;
    std::string guid2004;
};

std::string BuildMasterList(const LabOptions& options, const std::vector<ListedHost>& hosts);

}  // namespace corvanelab
