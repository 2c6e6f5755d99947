# Test helpers for programs that talk to the fake channel service
# (tools/fake-service). Included from the root, so every folder can use them
# whatever the order of add_subdirectory.
set(FAKE_SERVICE_DEMO_DATA ${PROJECT_SOURCE_DIR}/tools/fake-service/demo-service.txt)
set(FAKE_SERVICE_RUNNER ${PROJECT_SOURCE_DIR}/tools/fake-service/with_fake_service.py)
set(FAKE_SERVICE_CERT ${PROJECT_BINARY_DIR}/tools/fake-service/fake-service-cert.pem)
set(FAKE_SERVICE_KEY ${PROJECT_BINARY_DIR}/tools/fake-service/fake-service-key.pem)

# fake_service_test_definitions(<target>): where a native test finds the
# fake service, its demo data and its test certificate.
function(fake_service_test_definitions target)
  add_dependencies(${target} fake-service fake_service_cert)
  target_compile_definitions(${target} PRIVATE
    "FAKE_SERVICE_PATH=\"$<TARGET_FILE:fake-service>\""
    "FAKE_SERVICE_DATA=\"${FAKE_SERVICE_DEMO_DATA}\""
    "FAKE_SERVICE_CERT=\"${FAKE_SERVICE_CERT}\""
    "FAKE_SERVICE_KEY=\"${FAKE_SERVICE_KEY}\"")
endfunction()

# add_fake_service_wine_test(<target> [ARGS ...]): runs a Windows test
# program under Wine beside the native fake service of NATIVE_TOOLS_DIR.
function(add_fake_service_wine_test target)
  cmake_parse_arguments(W "" "" "ARGS;RUNNER_ARGS" ${ARGN})
  add_test(NAME ${target}
    COMMAND /usr/bin/python3 ${FAKE_SERVICE_RUNNER}
            --service ${NATIVE_TOOLS_DIR}/fake-service --data ${FAKE_SERVICE_DEMO_DATA} ${W_RUNNER_ARGS}
            -- ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${target}> ${W_ARGS})
  set_tests_properties(${target} PROPERTIES LABELS wine)
endfunction()
