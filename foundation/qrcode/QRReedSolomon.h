// Reed-Solomon error correction for QR Code: the field GF(256) with the field polynomial
// x^8 + x^4 + x^3 + x^2 + 1 (285), polynomials over it, and the block encoder.
//
// Polynomials are plain values: every operation returns a new polynomial and nothing is
// collected on the side, so an encoder that runs for hours holds no more memory than after its
// first symbol.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace KXQRCode {

using TIntegerArray = std::vector<int32_t>;

class TGenericGFPoly;

// A Galois field GF(2^m) with its antilog (exp) and log tables.
class TGenericGF {
public:
    // Primitive: the field polynomial as a bit mask; Size: number of elements (2^m);
    // B: exponent of the first root of the generator polynomials.
    TGenericGF(int32_t Primitive, int32_t Size, int32_t B);

    // GF(256) of ISO/IEC 18004: primitive 285, generator base 0.
    static TGenericGF CreateQRCodeField256() { return TGenericGF(285, 256, 0); }
    // One shared, read-only QR Code field.
    static const TGenericGF &QRCodeField256();

    static int32_t AddOrSubtract(int32_t A, int32_t B) { return A ^ B; }
    int32_t Exp(int32_t A) const { return FExpTable[size_t(A)]; }
    int32_t Log(int32_t A) const { return FLogTable[size_t(A)]; }
    int32_t Multiply(int32_t A, int32_t B) const;
    int32_t Inverse(int32_t A) const;
    // Coefficient x^Degree; nullopt for a negative degree, the zero polynomial for coefficient 0.
    std::optional<TGenericGFPoly> BuildMonomial(int32_t Degree, int32_t Coefficient) const;
    TGenericGFPoly GetZero() const;
    TGenericGFPoly GetOne() const;
    int32_t GetGeneratorBase() const { return FGeneratorBase; }
    int32_t GetSize() const { return FSize; }

    bool operator==(const TGenericGF &o) const
    {
        return FPrimitive == o.FPrimitive && FSize == o.FSize && FGeneratorBase == o.FGeneratorBase;
    }

private:
    TIntegerArray FExpTable; // FSize entries: alpha^i
    TIntegerArray FLogTable; // FSize entries: log_alpha(x), entry 0 unused
    int32_t FSize;
    int32_t FPrimitive;
    int32_t FGeneratorBase;
};

// A polynomial over a field, coefficients highest degree first; after construction the first
// coefficient is not 0 unless the polynomial is 0, which is the single coefficient 0.
// The field must outlive its polynomials.
class TGenericGFPoly {
public:
    TGenericGFPoly(const TGenericGF &AField, TIntegerArray ACoefficients);

    const TIntegerArray &Coefficients() const { return FCoefficients; }
    const TIntegerArray &GetCoefficients() const { return FCoefficients; }
    const TGenericGF &Field() const { return *FField; }
    int32_t GetDegree() const { return int32_t(FCoefficients.size()) - 1; }
    // The coefficient of x^Degree.
    int32_t GetCoefficient(int32_t Degree) const
    {
        return FCoefficients[FCoefficients.size() - 1 - size_t(Degree)];
    }
    bool IsZero() const { return FCoefficients[0] == 0; }

    // nullopt when Other belongs to another field.
    std::optional<TGenericGFPoly> AddOrSubtract(const TGenericGFPoly &Other) const;
    std::optional<TGenericGFPoly> Multiply(const TGenericGFPoly &Other) const;
    // nullopt for a negative degree.
    std::optional<TGenericGFPoly> MultiplyByMonomial(int32_t Degree, int32_t Coefficient) const;
    // Quotient, then remainder; empty when Other is 0 or belongs to another field.
    std::vector<TGenericGFPoly> Divide(const TGenericGFPoly &Other) const;

private:
    const TGenericGF *FField;
    TIntegerArray FCoefficients;
};

// Reed-Solomon encoder over one field, with a cache of the generator polynomials it has built.
class TReedSolomonEncoder {
public:
    explicit TReedSolomonEncoder(const TGenericGF &AField);

    // The product of (x + alpha^(base + i)) for i = 0 .. Degree - 1.
    const TGenericGFPoly &BuildGenerator(int32_t Degree);

    // ToEncode holds the data codewords followed by ECBytes places that receive the check
    // codewords. Nothing happens when ECBytes <= 0 or there are no data codewords.
    void Encode(TIntegerArray &ToEncode, int32_t ECBytes);

private:
    const TGenericGF *FField;
    std::vector<TGenericGFPoly> FCachedGenerators; // entry d has degree d; entry 0 is 1
};

// The check codewords of one block over the QR Code field, by the shift-register division with
// precomputed generators: the same codewords as TReedSolomonEncoder, without allocating.
// NumEC is 1..MaxECCodewords.
constexpr int MaxECCodewords = 68;
void ComputeECCodewords(const uint8_t *Data, int NumData, uint8_t *EC, int NumEC);

} // namespace KXQRCode
