# Decides exactly, for the classical and mid-p methods, each limit on which the native build
# and the page's differ (compare-limits writes the two files named on the command line).
# Every such row has m = 0 or m = n - k. For m = 0 the lower tail line averages binomial tails
# P(X >= j), X ~ Bin(n, p), and sums to (c + n p - t) / (k + 1), c = 1 (classical) or 1/2
# (mid-p), t > 0 the part of the tails beyond k (and for mid-p half of P(X = 0)), below 1e-500
# on these rows. So at the grid point g between the two builds' cells the sign of
# c + n g - alpha (k + 1), or where that is 0 the sign of -t, decides the side, and with it
# the right cell. An upper limit of (n, n - k, k) is 1 minus the lower limit of (n, 0, k).
import sys
from fractions import Fraction as F
nat=open(sys.argv[1]).read().splitlines()
web=open(sys.argv[2]).read().splitlines()
names=["lo95","up95","lo90","up90"]
res={'native':0,'web':0,'undecided':0}
for a,b in zip(nat,web):
    if a==b: continue
    A=a.split();B=b.split()
    method=A[1]; n,m,k=map(int,A[2:5])
    for i in range(5,9):
        if A[i]==B[i]: continue
        name=names[i-5]; conf=95 if '95' in name else 90
        alpha=F(100-conf,200)
        na,wb=F(A[i]),F(B[i])
        if name.startswith('up'):   # mirror: upper of (n, n-k, k) is 1 - lower of (n, 0, k)
            assert m==n-k
            na,wb=1-na,1-wb
        else:
            assert m==0
        g=(na+wb)/2   # the grid point between the two cells
        if method=='bayesian':
            print(method,n,m,k,name,'left to the Bayesian check'); res['undecided']+=1; continue
        c=F(1) if method=='classical' else F(1,2)
        D=c+n*g-alpha*(k+1)
        # F(g) - alpha = (D - tiny)/(k+1), tiny > 0 and below 1e-500 here
        below = D<=0
        right = max(na,wb) if below else min(na,wb)
        who='native' if right==na else 'web'
        res[who]+=1
        print(method,n,m,k,name,'D =',D,'->','web' if who=='web' else 'native','is right')
print(res)
