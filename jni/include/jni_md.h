/* Machine-dependent JNI types for 32-bit Windows (the JDK ships only its Linux variant). */
#ifndef INKVALE_JNI_MD_H
#define INKVALE_JNI_MD_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
