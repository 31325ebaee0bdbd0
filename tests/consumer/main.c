/* Trains the discriminant through the plain functions of the installed library, from C. */
#include <vecmat/classify/LinearClassifierTraining.h>

#include <stdio.h>
#include <string.h>

static int Fail(const char* what) {
    printf("consumer_c: %s\n", what);
    return 1;
}

int main(void) {
    /* Samples 0 and 1 of tag 1, 3 and 4 of tag 2; each row is a value and its tag. */
    const double data[] = {0, 1, 1, 1, 3, 2, 4, 2};
    const double threeTags[] = {0, 1, 1, 2, 2, 3};
    double weights[1] = {0.0};
    double threshold;
    char message[128];
    unsigned int handle = LinearClassifierTraining(data, 2, 4);
    unsigned int failed = LinearClassifierTraining(threeTags, 2, 3);
    bool ok = IsSuccessed(handle);
    int length;

    if (handle != 10 || failed != 11) return Fail("unexpected handle numbers");
    if (!ok || GetErrorCode(handle) != 0) return Fail("training failed");
    if (LCGetFeatureDataCount(handle) != 1) return Fail("wrong weight count");
    if (LCGetFeatureData(handle, weights, 0) != -2) return Fail("small buffer accepted");
    if (LCGetFeatureData(handle, weights, 1) != 1) return Fail("weights not copied");
    threshold = LCGetThreshold(handle);
    if (weights[0] != -3.0 || threshold != -6.0) return Fail("wrong model");
    if (LCGetTagP(handle) != 1 || LCGetTagN(handle) != 2) return Fail("wrong tags");

    if (IsSuccessed(failed)) return Fail("three tags accepted");
    length = GetErrorString(failed, message, (int)sizeof message);
    if (length <= 0 || (size_t)length != strlen(message)) return Fail("no failure message");

    CloseHandle(handle);
    CloseHandle(failed);
    if (IsSuccessed(handle) || GetErrorCode(handle) != -1) return Fail("closed handle answers");

    printf("w = %g, t = %g\n", weights[0], threshold);
    return 0;
}
