# COM automation helpers (ComPtr, Variant, Bstr, Invoke, message filter).
if(WIN32)
  target_sources(brivanta_win PRIVATE com.cpp)
endif()
