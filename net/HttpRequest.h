#pragma once
// The bytes of the one request this client sends: a GET with a fixed set of headers.

#include "net/HttpUrl.h"

#include <string>
#include <string_view>

// `cookies` is the value of the Cookie header; empty sends none.
std::string FormatGetRequest(const HttpUrl& url, std::string_view cookies);
