# Reliability: settings and log files in bad shape (garbage values, read-only files,
# missing folders).
kv_test(reliability_faults_test SOURCES support_faults_test.cpp LIBS kv_support)
