#include "io/echo.h"

#include "common/fixed_format.h"

namespace colloidsim {

namespace {

// "2X label value" items of one record.
class Record {
 public:
  explicit Record(std::string& out) : out_(out) {}

  Record& real(const char* label, double value) {
    separate();
    out_ += label;
    append_E(out_, value, 15, 8);
    return *this;
  }
  Record& integer(const char* label, int value, int width) {
    separate();
    out_ += label;
    append_I(out_, value, width);
    return *this;
  }
  void end() { out_ += '\n'; }

 private:
  void separate() {
    if (!first_) append_X(out_, 2);
    first_ = false;
  }
  std::string& out_;
  bool first_ = true;
};

}  // namespace

EchoValues echo_values(const RunConstants& c) {
  return {c.RB, c.RZOIBULK, c.DTMRT, c.ACONTMAX};
}

void append_echo(std::string& out, const RunParameters& p, const EchoValues& d) {
  Record(out)
      .integer("NPART= ", p.NPART, 6)
      .real("VSUP(m/s)= ", p.VSUP)
      .real("RLIM(m)= ", p.RLIM)
      .real("POROSITY= ", p.POROSITY)
      .real("AG(m)= ", p.AG)
      .real("RB(m)= ", d.RB)
      .real("TTIME(s)= ", p.TTIME)
      .integer("ATTMODE= ", p.ATTMODE, 2)
      .real("SLIP(m)= ", p.B)
      .integer("RMODE= ", p.RMODE, 2)
      .real("ASP(m)= ", p.ASP)
      .real("ASP2(m)= ", p.ASP2)
      .end();
  Record(out)
      .real("AP(m)= ", p.AP)
      .real("IS(mol/m3)= ", p.IS)
      .real("ZI= ", p.ZI)
      .real("ZETAPST(V)= ", p.ZETAPST)
      .real("ZETACST(V)= ", p.ZETACST)
      .real("RHOP(kg/m3)= ", p.RHOP)
      .real("RHOW(kg/m3)= ", p.RHOW)
      .real("VISC(kg/m/s)= ", p.VISC)
      .real("ER= ", p.ER)
      .real("T(K)= ", p.T)
      .real("DIFFSCALE= ", p.DIFFSCALE)
      .real("GRAVFACT= ", p.GRAVFACT)
      .integer("CBGRAV= ", p.CBGRAV, 2)
      .end();
  Record(out)
      .real("SCOV= ", p.SCOV)
      .real("ZETAHET(V)= ", p.ZETAHET)
      .integer("HETMODE= ", p.HETMODE, 1)
      .real("RHET0(m)= ", p.RHET0)
      .real("RHET1(m)= ", p.RHET1)
      .real("RHET2(m)= ", p.RHET2)
      .real("SCOVP= ", p.SCOVP)
      .real("ZETAHETP(V)= ", p.ZETAHETP)
      .integer("HETMODEP= ", p.HETMODEP, 1)
      .real("RHETP0(m)= ", p.RHETP0)
      .real("RHETP1(m)= ", p.RHETP1)
      .real("RZOIBULK(m)= ", d.RZOIBULK)
      .real("dTMRT(s)= ", d.DTMRT)
      .real("MULTB= ", p.MULTB)
      .real("MULTNS= ", p.MULTNS)
      .real("MULTC= ", p.MULTC)
      .integer("VDWMODE= ", p.VDWMODE, 2)
      .end();
  Record(out)
      .real("A132(J)= ", p.A132)
      .real("LAMBDAVDW(m)= ", p.LAMBDAVDW)
      .real("GAMMA0AB(J/m2)= ", p.GAMMA0AB)
      .real("LAMBDAAB(m)= ", p.LAMBDAAB)
      .real("GAMMA0STE(J/m2)= ", p.GAMMA0STE)
      .real("LAMBDASTE(m)= ", p.LAMBDASTE)
      .real("KINT(N/m2)= ", p.KINT)
      .real("W132(J/m2)= ", p.W132)
      .real("ACONTMAX(m)= ", d.ACONTMAX)
      .real("BETA= ", p.BETA)
      .real("DFACTNS= ", p.DFACTNS)
      .real("DFACTC= ", p.DFACTC)
      .real("A11(J)=", p.A11)
      .real("A22(J)=", p.A22)
      .real("A33(J)=", p.A33)
      .real("AC1C1(J)=", p.AC1C1)
      .real("AC2C2(J)=", p.AC2C2)
      .real("T1(m)=", p.T1)
      .real("T2(m)=", p.T2)
      .end();
}

}  // namespace colloidsim
