#pragma once

// The password of the product's SQL Server login kolvera.
inline constexpr const char* LoginPassword = "4729";
