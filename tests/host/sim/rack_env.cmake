# The KESTAN_SIM_RACK value that rack_env_test.cpp expects, for the host and
# the Wine run of it.
set(SIM_TEST_RACK " kestan@300, kestan@3A0h,bogus,kestan@304,nosuchcard@200,kestan@0x208")
